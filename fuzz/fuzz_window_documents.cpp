// A configuration document of any shape, parsed from the fuzz input: the
// document readers, the two apply functions and the four exchanges, on one
// window built once per process, its serial port closed so that every
// exchange runs its request tests and its EID position logic without any
// I/O (a closed port answers every request with nothing at once).
//
// Properties: the header tests and entry readers agree with the document
// rules written out here a second time; no exchange succeeds without a
// device, and none changes a field; ApplyEidSet sets exactly the fields the
// reply names.

#include "ConfigDocument.h"
#include "FuzzSupport.h"
#include "MySerialPort.h"
#include "OrvaneUI.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonValue>
#include <QLineEdit>

#include <cmath>
#include <cstdlib>
#include <limits>

using FuzzSupport::Check;

namespace {
OrvaneUI *Window = nullptr;
QJsonObject StartParams;

struct Fields
{
    QJsonObject Params;
    QString Eids[EidCount];
};

Fields Snapshot()
{
    Fields Now;
    Now.Params = Window->CollectParamSet();
    for (int Slot = 0; Slot < EidCount; ++Slot)
        Now.Eids[Slot] = Window->QLineEdit_Eid[Slot]->text();
    return Now;
}

bool Same(const Fields &A, const Fields &B)
{
    if (A.Params != B.Params)
        return false;
    for (int Slot = 0; Slot < EidCount; ++Slot) {
        if (A.Eids[Slot] != B.Eids[Slot])
            return false;
    }
    return true;
}

int ReferenceInt(const QJsonValue &Value)
{
    if (Value.type() != QJsonValue::Double)
        return 0;
    const double Number = Value.toDouble();
    if (!(Number >= std::numeric_limits<int>::min() && Number <= std::numeric_limits<int>::max())
        || std::floor(Number) != Number)
        return 0;
    return static_cast<int>(Number);
}

bool IsText(const QJsonValue &Value, const char *Text)
{
    return Value.type() == QJsonValue::String && Value.toString() == QLatin1String(Text);
}

void CheckReaders(const QJsonObject &Doc)
{
    const QJsonValue Tab = Doc.value(QStringLiteral("TabText"));
    const QJsonValue Operate = Doc.value(QStringLiteral("operate"));
    const QJsonValue List = Doc.value(QStringLiteral("ParamArray"));
    for (const char *Kind : {"ParamSet", "EidSet"}) {
        const bool KindOk = !Doc.isEmpty() && IsText(Tab, Kind);
        using ConfigDocument::HeaderTest;
        Check((ConfigDocument::RequestHeader(Doc, QLatin1String(Kind)) == HeaderTest::Passed)
                  == (KindOk && IsText(Operate, "Read")),
              "RequestHeader");
        Check((ConfigDocument::ReplyHeader(Doc, QLatin1String(Kind)) == HeaderTest::Passed)
                  == (KindOk && IsText(Operate, "ReadAck")),
              "ReplyHeader");
        Check((ConfigDocument::ReplyHeader(Doc, QLatin1String(Kind)) > HeaderTest::Kind) == KindOk,
              "ReplyHeader kind");
    }
    QJsonArray Entries;
    Check(ConfigDocument::RequestArray(Doc, &Entries) == List.isArray(), "RequestArray");
    Check(ConfigDocument::ReplyArray(Doc) == (List.isArray() ? List.toArray() : QJsonArray()), "ReplyArray");
    Entries.append(Doc);
    for (const QJsonValue &Element : Entries) {
        const QJsonObject Entry = Element.toObject();
        const QJsonValue Name = Entry.value(QStringLiteral("ParamName"));
        Check(ConfigDocument::EntryName(Entry) == (Name.isString() ? Name.toString() : QString()), "EntryName");
        Check(ConfigDocument::EntryRegister(Entry) == ReferenceInt(Entry.value(QStringLiteral("RegisterAddr"))),
              "EntryRegister");
        Check(ConfigDocument::EntryValue(Entry) == ReferenceInt(Entry.value(QStringLiteral("ParamValue"))),
              "EntryValue");
    }
}

// Changes Eids as ApplyEidSet(Reply) should change the fields.
void ExpectedEids(const QJsonObject &Reply, QString *Eids)
{
    if (Reply.isEmpty() || !IsText(Reply.value(QStringLiteral("TabText")), "EidSet")
        || !IsText(Reply.value(QStringLiteral("operate")), "ReadAck"))
        return;
    const QJsonValue List = Reply.value(QStringLiteral("ParamArray"));
    if (!List.isArray())
        return;
    for (const QJsonValue &Element : List.toArray()) {
        if (!Element.isObject())
            continue;
        const QJsonObject Entry = Element.toObject();
        const int Register = ReferenceInt(Entry.value(QStringLiteral("RegisterAddr")));
        if (Register <= 47000)
            continue;
        const int Slot = (Register - 47001) / 2;
        if (Slot > 199)
            continue;
        Eids[Slot] = QString::number(ReferenceInt(Entry.value(QStringLiteral("ParamValue"))));
    }
}

// Every input starts from the same fields, so that a finding replays alone.
void ResetFields()
{
    Window->ApplyParamSet(StartParams);
    for (int Slot = 0; Slot < EidCount; ++Slot)
        Window->QLineEdit_Eid[Slot]->clear();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *Argc, char ***Argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    FuzzSupport::QuietLog();
    static QApplication App(*Argc, *Argv);
    Window = new OrvaneUI();
    if (!Window->Construct())
        FuzzSupport::Fail("the window could not be built");
    Check(!Window->SerialPort->PortOpened, "the port starts closed");
    // The start values as a reply document, to put them back before each input.
    StartParams = Window->CollectParamSet();
    StartParams.insert(QStringLiteral("operate"), QStringLiteral("ReadAck"));
    // Text set once before the first input, so that the fonts Qt looks up
    // then count as start-up, not as something an input left behind.
    for (int Slot = 0; Slot < EidCount; ++Slot)
        Window->QLineEdit_Eid[Slot]->setText(QString::number(-2147483647 + Slot));
    ResetFields();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    QJsonObject Doc;
    if (!FuzzSupport::ParseObject(Data, Size, &Doc))
        return 0;
    CheckReaders(Doc);
    ResetFields();
    const Fields Before = Snapshot();

    Check(!Window->ExchangeParamRead(Doc), "ExchangeParamRead succeeded with no device");
    Check(!Window->ExchangeParamWrite(Doc), "ExchangeParamWrite succeeded with no device");
    Check(!Window->ExchangeEidRead(Doc), "ExchangeEidRead succeeded with no device");
    Check(!Window->ExchangeEidWrite(Doc), "ExchangeEidWrite succeeded with no device");
    Check(Same(Snapshot(), Before), "a failed exchange changed a field");
    Check(Window->SerialPort->RecvBuffer.isEmpty(), "a closed port collected bytes");

    Fields Expected = Before;
    ExpectedEids(Doc, Expected.Eids);
    Window->ApplyEidSet(Doc);
    const Fields AfterEid = Snapshot();
    for (int Slot = 0; Slot < EidCount; ++Slot)
        Check(AfterEid.Eids[Slot] == Expected.Eids[Slot], "ApplyEidSet field");
    Check(AfterEid.Params == Before.Params, "ApplyEidSet changed a parameter");

    Window->ApplyParamSet(Doc);
    const Fields AfterParam = Snapshot();
    for (int Slot = 0; Slot < EidCount; ++Slot)
        Check(AfterParam.Eids[Slot] == AfterEid.Eids[Slot], "ApplyParamSet changed an EID");
    // Whatever the reply held, the next request is a whole one.
    const QJsonObject Next = Window->CollectParamSet();
    Check(Next.value(QStringLiteral("ParamArray")).toArray().size() == 14, "parameter request size");
    // What the widgets posted (repaints, layout) is handled, as the event
    // loop of the running tool would.
    QCoreApplication::processEvents();
    return 0;
}
