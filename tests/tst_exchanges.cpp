// The four exchanges over a real pty against the simulated device: the
// frames on the wire, the length each wait expects, the fields afterwards,
// and requests refused before anything is sent. (Failures on the line:
// tst_endtoend.)

#include "ConfigDocument.h"
#include "DeviceExchange.h"
#include "DocumentExchange.h"
#include "Expected.h"
#include "MySerialPort.h"
#include "OperatorRig.h"
#include "SerialPortLine.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QLineEdit>
#include <QtTest>

using namespace Expected;

namespace {

// Debug lines off: a caller that wants no log gets none.
Q_LOGGING_CATEGORY(Unlogged, "korvel.test.unlogged", QtInfoMsg)

QJsonObject EidRequest(int Count)
{
    QJsonArray Entries;
    for (int I = 0; I < Count; ++I)
        Entries.append(ConfigDocument::MakeEntry("Eid", 47001 + 2 * I, 0));
    QJsonObject Doc = ConfigDocument::NewRequest(ConfigDocument::KindEidSet);
    Doc.insert(ConfigDocument::KeyParamArray, Entries);
    return Doc;
}

} // namespace

class tst_exchanges : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void paramRead();
    void paramWrite();
    void eidRead_data();
    void eidRead();
    void eidWrite();
    void refusedBeforeSending();
    void failureOfTheLatestExchange();

private:
    OperatorRig *Rig = nullptr;
    OrvaneUI *W = nullptr;
    QList<int> Awaited; // the reply length the port waited for at each request
};

void tst_exchanges::init()
{
    Rig = new OperatorRig;
    W = &Rig->Window;
    QVERIFY(OpenOn(*W->SerialPort, Rig->Pair));
    Rig->LoadDevice();
    Awaited.clear();
    Rig->Device.SetReplyHook([this](DeviceReply &) { Awaited << W->SerialPort->ExpectedLength; });
}

void tst_exchanges::cleanup()
{
    delete Rig;
}

void tst_exchanges::paramRead()
{
    SetParamFields(*W, Operator);
    Rig->Quiet.Clear();
    QElapsedTimer Clock;
    Clock.start();
    QVERIFY(W->ExchangeParamRead(W->CollectParamSet()));
    QVERIFY2(Clock.elapsed() < 2000, qPrintable(QString::number(Clock.elapsed())));
    QCOMPARE(Rig->Requests().size(), ParamCount);
    for (int I = 0; I < ParamCount; ++I)
        QCOMPARE(Rig->Requests().at(I), Frame(0x03, Params[I].Register, 1));
    QCOMPARE(Awaited, QVector<int>(ParamCount, 7).toList());
    // The device's values, its time-outs too although the spreading factor changed.
    QCOMPARE(ParamFields(*W), DeviceValues);
    // Each reply is logged as hex text.
    QVERIFY(Rig->Quiet.Contains(HexText(ReadReply(433))));
}

void tst_exchanges::paramWrite()
{
    // The eighth write, RfFrequency, is echoed with another value.
    Rig->Device.Core().AddFault({DeviceFault::EchoValue, 8, 433});
    SetParamFields(*W, Operator);
    Rig->Quiet.Clear();
    QVERIFY(W->ExchangeParamWrite(W->CollectParamSet()));
    QCOMPARE(Rig->Requests().size(), ParamCount + 1);
    for (int I = 0; I < ParamCount; ++I)
        QCOMPARE(Rig->Requests().at(I), Frame(0x06, Params[I].Register, Operator[I]));
    QCOMPARE(Rig->Requests().last(), Commit(6));
    QCOMPARE(Awaited, QVector<int>(ParamCount + 1, 8).toList());
    QVERIFY(Rig->Quiet.Contains(QStringLiteral("00069C410006765D")));
    // The device keeps what was sent; the field shows what it echoed.
    QCOMPARE(Rig->DeviceParams(DeviceCore::Committed), Operator);
    QList<int> Shown = Operator;
    Shown[7] = 433;
    QCOMPARE(ParamFields(*W), Shown);
}

void tst_exchanges::eidRead_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("blocks");
    QTest::newRow("the list") << EidCount << QList<int>{25, 25, 25, 25, 25, 25, 25, 25};
    QTest::newRow("26 entries") << 26 << QList<int>{25, 1};
}

void tst_exchanges::eidRead()
{
    QFETCH(int, count);
    QFETCH(QList<int>, blocks);
    DeviceCore &Core = Rig->Device.Core();
    Core.SetEid(5, -1);
    Core.SetEid(6, qint32(0x80000000u));
    Core.SetEid(25, 0x00010000);
    Core.SetEid(199, 0x7FFFFFFF);
    SetEidFields(*W, Untouched());
    QVERIFY(W->ExchangeEidRead(EidRequest(count)));
    QCOMPARE(Rig->Requests().size(), blocks.size());
    for (int B = 0; B < blocks.size(); ++B) {
        QCOMPARE(Rig->Requests().at(B), EidRead(47001 + 50 * B, blocks[B]));
        QCOMPARE(Awaited.at(B), 4 * blocks[B] + 5);
    }
    QStringList Shown = Untouched();
    for (int Slot = 0; Slot < count; ++Slot)
        Shown[Slot] = QString::number(Core.Eid(Slot));
    QCOMPARE(EidFields(*W), Shown);
    QCOMPARE(W->QLineEdit_Eid[6]->text(), count > 6 ? QStringLiteral("-2147483648") : Untouched()[6]);
}

void tst_exchanges::eidWrite()
{
    QStringList Texts;
    QVector<qint32> Values;
    for (int Slot = 0; Slot < EidCount; ++Slot) {
        Texts << QString::number(5000000 + 3 * Slot);
        Values << 5000000 + 3 * Slot;
    }
    Texts[0] = QStringLiteral("007");
    Values[0] = 7;
    Texts[1] = QString();
    Values[1] = 0;
    Texts[2] = QStringLiteral("-1");
    Values[2] = -1;
    SetEidFields(*W, Texts);
    QVERIFY(W->ExchangeEidWrite(W->CollectEidSet()));
    QCOMPARE(Rig->Requests().size(), 9);
    for (int B = 0; B < 8; ++B)
        QCOMPARE(Rig->Requests().at(B), EidWrite(47001 + 50 * B, Values.mid(25 * B, 25)));
    QCOMPARE(Rig->Requests().last(), Commit(8));
    QCOMPARE(Awaited, QVector<int>(9, 8).toList());
    for (int Slot = 0; Slot < EidCount; ++Slot) {
        QCOMPARE(Rig->Device.Core().Eid(Slot, DeviceCore::Committed), Values[Slot]);
        QCOMPARE(W->QLineEdit_Eid[Slot]->text(), QString::number(Values[Slot]));
    }
}

void tst_exchanges::refusedBeforeSending()
{
    QJsonObject Ack = EidRequest(3);
    Ack.insert(ConfigDocument::KeyOperate, ConfigDocument::OperateReadAck);
    QJsonObject TooMany = EidRequest(EidCount);
    QJsonArray Entries = TooMany.value(ConfigDocument::KeyParamArray).toArray();
    Entries.append(ConfigDocument::MakeEntry("Eid", 47401, 0));
    TooMany.insert(ConfigDocument::KeyParamArray, Entries);
    QJsonObject Unnamed = EidRequest(3);
    Unnamed.insert(ConfigDocument::KeyParamArray,
                   QJsonArray{ConfigDocument::MakeEntry("Eid", 47001, 0), ConfigDocument::MakeEntry("Eid", 47401, 0)});
    QJsonObject ParamFirstNotObject = W->CollectParamSet();
    ParamFirstNotObject.insert(ConfigDocument::KeyParamArray, QJsonArray{5});

    SetEidFields(*W, Untouched());
    for (const QJsonObject &Doc : {Ack, TooMany, Unnamed, EidRequest(0), QJsonObject()}) {
        QVERIFY(!W->ExchangeEidRead(Doc));
        QVERIFY(!W->ExchangeEidWrite(Doc));
    }
    QVERIFY(!W->ExchangeParamRead(ParamFirstNotObject));
    // Of an empty request only the writes say anything.
    Rig->Quiet.Clear();
    QVERIFY(!W->ExchangeParamRead(QJsonObject()) && !W->ExchangeEidRead(QJsonObject()));
    QVERIFY(!W->ExchangeParamWrite(QJsonObject()) && !W->ExchangeEidWrite(QJsonObject()));
    QCOMPARE(Rig->Quiet.Lines(), QStringList({QStringLiteral("Obj is Null"), QStringLiteral("Obj is Null")}));
    QVERIFY(!W->ExchangeParamWrite(W->CollectEidSet()));
    // A closed port sends nothing either.
    W->SerialPort->ClosePort();
    QVERIFY(!W->ExchangeParamRead(W->CollectParamSet()));
    QVERIFY(!W->ExchangeEidWrite(W->CollectEidSet()));
    QTest::qWait(20);
    QVERIFY(Rig->Device.Peer().Received().isEmpty());
    QCOMPARE(EidFields(*W), Untouched());
}

// The core's faults: a code with its transaction, the text korvelctl
// prints, the latest exchange's only; a write whose echo differs fails
// before the commit where that is asked for; and the exchanges log only
// through the category they are handed.
void tst_exchanges::failureOfTheLatestExchange()
{
    SerialPortLine Line(*W->SerialPort);
    DeviceExchange Device(Line, Unlogged());
    DocumentExchange Documents(Line, Unlogged());
    QJsonObject Reply;
    Rig->Device.Core().AddFault({DeviceFault::Silence, 1});
    Rig->Quiet.Clear();
    ParamList Params {{"ModbusID", 40003, 0}, {"RfSf", 40304, 0}};
    QVERIFY(!Device.ReadParams(&Params));
    QCOMPARE(Device.Failure().Code, FaultCode::NoReply);
    QCOMPARE(Describe(Device.Failure()), QStringLiteral("reading ModbusID (register 40003): no reply within 1.5 s"));
    QVERIFY(Device.ReadParams(&Params));
    QCOMPARE(Device.Failure().Code, FaultCode::None);
    QCOMPARE(Params.at(1).Value, int(Rig->Device.Core().Register(40304)));

    Rig->Device.Core().AddFault({DeviceFault::EchoValue, 4, 434});
    Device.SetStrictEcho(true);
    ParamList Written {{"RfFrequency", 40302, 433}, {"RfSf", 40304, 9}};
    QVERIFY(!Device.WriteParams(&Written));
    QCOMPARE(Device.Failure().Code, FaultCode::WrongEcho);
    QCOMPARE(Describe(Device.Failure()), QStringLiteral("writing RfFrequency (register 40302): sent 433, the device echoed 434; nothing committed"));
    QCOMPARE(Rig->Requests().size(), 1 + 2 + 1);
    QVERIFY(Rig->Requests().last() != Commit(6));

    QJsonObject FirstNotObject = W->CollectParamSet();
    FirstNotObject.insert(ConfigDocument::KeyParamArray, QJsonArray{5, ConfigDocument::MakeEntry("RfSf", 40304, 7)});
    QVERIFY(!Documents.ParamWrite(FirstNotObject, &Reply));
    QCOMPARE(Documents.Failure().Code, FaultCode::InvalidRequest);
    QCOMPARE(Describe(Documents.Failure()), QStringLiteral("not a parameter request"));
    QVERIFY(Documents.EidWrite(EidRequest(30), &Reply));
    QVERIFY(!Documents.Failure().Failed());
    QVERIFY(!Documents.EidRead(EidRequest(0), &Reply));
    QCOMPARE(Describe(Documents.Failure()), QStringLiteral("not an EID list request"));
    QCOMPARE(Rig->Requests().size(), 4 + 3);
    QCOMPARE(Rig->Quiet.Lines(), QStringList());
}

QTEST_MAIN(tst_exchanges)
#include "tst_exchanges.moc"
