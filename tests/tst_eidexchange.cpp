// The EID list read from and written to the simulated device over a real
// pty: the block frames byte for byte, the commit, the fields afterwards,
// the log, and the failures that must leave every field as it was.

#include "Expected.h"
#include "LogCapture.h"
#include "MySerialPort.h"
#include "OrvaneUI.h"
#include "PtyPair.h"
#include "SimPeer.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QtTest>

#include <functional>

namespace {

using Expected::WithCrc;

void PutWord(QByteArray &Frame, int Word)
{
    Frame.append(char((Word >> 8) & 0xFF));
    Frame.append(char(Word & 0xFF));
}

void PutEid(QByteArray &Frame, qint32 Value)
{
    const quint32 Bits = quint32(Value);
    PutWord(Frame, int(Bits >> 16));
    PutWord(Frame, int(Bits & 0xFFFF));
}

QByteArray ReadFrame(int Start, int Count)
{
    QByteArray Frame("\x00\x03", 2);
    PutWord(Frame, Start);
    PutWord(Frame, 2 * Count);
    return WithCrc(Frame);
}

QByteArray WriteFrame(int Start, const QVector<qint32> &Values)
{
    QByteArray Frame("\x00\x10", 2);
    PutWord(Frame, Start);
    PutWord(Frame, 2 * Values.size());
    Frame.append(char(4 * Values.size()));
    for (const qint32 Value : Values)
        PutEid(Frame, Value);
    return WithCrc(Frame);
}

const QByteArray CommitFrame = QByteArray::fromHex("00069C410008F799");

QJsonObject EidEntry(const QJsonValue &Register, const QJsonValue &Value = 0)
{
    QJsonObject Entry;
    Entry.insert(QStringLiteral("ParamName"), QStringLiteral("Eid"));
    Entry.insert(QStringLiteral("RegisterAddr"), Register);
    Entry.insert(QStringLiteral("ParamValue"), Value);
    return Entry;
}

// A request as the window builds it, for the first Count slots.
QJsonObject Request(int Count, const std::function<qint32(int)> &Value = [](int) { return 0; })
{
    QJsonArray Entries;
    for (int I = 0; I < Count; ++I)
        Entries.append(EidEntry(47001 + 2 * I, Value(I)));
    QJsonObject Doc;
    Doc.insert(QStringLiteral("TabText"), QStringLiteral("EidSet"));
    Doc.insert(QStringLiteral("operate"), QStringLiteral("Read"));
    Doc.insert(QStringLiteral("ParamArray"), Entries);
    return Doc;
}

QJsonObject WithEntries(QJsonObject Doc, const QJsonArray &Entries)
{
    Doc.insert(QStringLiteral("ParamArray"), Entries);
    return Doc;
}

// Texts a successful exchange would change in every field ("007" becomes
// "7", "" becomes "0"), so that "unchanged" cannot pass by accident.
QStringList Untouched()
{
    QStringList List;
    for (int I = 0; I < EidCount; ++I)
        List.append(I % 2 ? QString() : QStringLiteral("00%1").arg(I + 1));
    return List;
}

} // namespace

class tst_eidexchange : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void readFullList();
    void readPartialBlocks_data();
    void readPartialBlocks();
    void readIgnoresEntryRegister();
    void writeFullList();
    void writeTwoBlocks();
    void writeFollowsEntrySlots();

    void readFailureKeepsFields_data();
    void readFailureKeepsFields();
    void writeFailureKeepsFields_data();
    void writeFailureKeepsFields();
    void commitOfSevenBytes();
    void closedPortSendsNothing();

    void refusedBeforeSending_data();
    void refusedBeforeSending();

private:
    void SetList(const QStringList &Texts);
    QStringList List() const;
    void VerifyNothingSent();
    // The requests the device answered, in order.
    QList<QByteArray> Requests() const;
    QByteArray Received() const { return Sim->Peer().Received(); }
    // Replaces the reply to request number Nth (from 1) by Body and its CRC.
    void ReplaceReply(int Nth, const QByteArray &Body);

    OrvaneUI *W = nullptr;
    PtyPair *Pair = nullptr;
    SimPeer *Sim = nullptr;
    DeviceCore *Device = nullptr;
    // The reply length the port waited for as each request arrived.
    QList<int> Awaited;
    std::function<void(DeviceReply &)> Change;
};

void tst_eidexchange::initTestCase()
{
    W = new OrvaneUI();
    QVERIFY(W->Construct());
}

void tst_eidexchange::cleanupTestCase()
{
    delete W;
}

void tst_eidexchange::init()
{
    Pair = new PtyPair();
    QVERIFY(Pair->IsOpen());
    QVERIFY(W->SerialPort->OpenPort(Pair->SlavePath(), 9600, QSerialPort::Data8,
                                    QSerialPort::NoParity, QSerialPort::OneStop,
                                    QSerialPort::NoFlowControl));
    Sim = new SimPeer(*Pair);
    Device = &Sim->Core();
    Awaited.clear();
    Change = nullptr;
    Sim->SetReplyHook([this](DeviceReply &Reply) {
        Awaited.append(W->SerialPort->ExpectedLength);
        if (Change)
            Change(Reply);
    });
}

void tst_eidexchange::cleanup()
{
    W->SerialPort->ClosePort();
    delete Sim;
    delete Pair;
    Sim = nullptr;
    Device = nullptr;
    Pair = nullptr;
}

QList<QByteArray> tst_eidexchange::Requests() const
{
    QList<QByteArray> Frames;
    for (const DeviceReply &Reply : Sim->Replies()) {
        if (Reply.What == DeviceReply::Answered)
            Frames.append(Reply.Request);
    }
    return Frames;
}

void tst_eidexchange::ReplaceReply(int Nth, const QByteArray &Body)
{
    Change = [Nth, Body](DeviceReply &Reply) {
        if (Reply.Transaction == Nth)
            Reply.Chunks = {WithCrc(Body)};
    };
}

void tst_eidexchange::SetList(const QStringList &Texts)
{
    for (int I = 0; I < EidCount; ++I)
        W->QLineEdit_Eid[I]->setText(Texts.at(I));
}

QStringList tst_eidexchange::List() const
{
    QStringList Texts;
    for (int I = 0; I < EidCount; ++I)
        Texts.append(W->QLineEdit_Eid[I]->text());
    return Texts;
}

// Proves that nothing went out before: the next exchange's frame is the
// first thing the device sees.
void tst_eidexchange::VerifyNothingSent()
{
    QVERIFY(Requests().isEmpty());
    SetList(QVector<QString>(EidCount).toList());
    Device->SetEid(0, 4242);
    QVERIFY(W->ExchangeEidRead(Request(1)));
    QCOMPARE(Received(), ReadFrame(47001, 1));
    QCOMPARE(W->QLineEdit_Eid[0]->text(), QStringLiteral("4242"));
}

void tst_eidexchange::readFullList()
{
    for (int Slot = 0; Slot < EidCount; ++Slot)
        Device->SetEid(Slot, 1000000 + 7 * Slot);
    Device->SetEid(5, -1);                    // FF FF FF FF
    Device->SetEid(6, int(0x80000000u));      // top bit only
    Device->SetEid(7, 0x0000FFFF);
    Device->SetEid(8, 0x00010000);
    Device->SetEid(199, 0x7FFFFFFF);
    SetList(Untouched());

    LogCapture Log;
    QVERIFY(W->ExchangeEidRead(W->CollectEidSet()));

    QCOMPARE(Requests().size(), 8);
    QCOMPARE(Requests().at(0), QByteArray::fromHex("0003B79900323255"));
    QByteArray Expected;
    for (int Block = 0; Block < 8; ++Block) {
        QCOMPARE(Requests().at(Block), ReadFrame(47001 + 50 * Block, 25));
        QCOMPARE(Awaited.at(Block), 105);
        Expected += ReadFrame(47001 + 50 * Block, 25);
    }
    QCOMPARE(Received(), Expected);

    for (int Slot = 0; Slot < EidCount; ++Slot)
        QCOMPARE(W->QLineEdit_Eid[Slot]->text(), QString::number(Device->Eid(Slot)));
    QCOMPARE(W->QLineEdit_Eid[5]->text(), QStringLiteral("-1"));
    QCOMPARE(W->QLineEdit_Eid[6]->text(), QStringLiteral("-2147483648"));
    QCOMPARE(W->QLineEdit_Eid[7]->text(), QStringLiteral("65535"));
    QCOMPARE(W->QLineEdit_Eid[8]->text(), QStringLiteral("65536"));
    QCOMPARE(W->QLineEdit_Eid[199]->text(), QStringLiteral("2147483647"));

    const QStringList Lines = Log.Lines();
    QCOMPARE(Lines.mid(0, 4), (QStringList{"200", "200", "0", "ReadRegisterAddr: 47001"}));
    int At = 0;
    for (int Block = 0; Block < 8; ++Block) {
        const int Start = 47001 + 50 * Block;
        const int Opened = Lines.indexOf(QStringLiteral("ReadRegisterAddr: %1").arg(Start), At);
        QVERIFY2(Opened >= At, qPrintable(QString::number(Start)));
        const QString Sent = QStringLiteral("%1 %2").arg(Block).arg(
            QString::fromLatin1(ReadFrame(Start, 25).toHex().toUpper()));
        const int Logged = Lines.indexOf(Sent, Opened);
        QVERIFY2(Logged > Opened, qPrintable(Sent));
        // Positions j are logged one by one, the block's last just before it goes out.
        QCOMPARE(Lines.at(Logged - 1), QString::number(25 * Block + 24));
        At = Logged;
    }
    QCOMPARE(Lines.last(), QStringLiteral("ReadAck ok"));
}

void tst_eidexchange::readPartialBlocks_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("blockSizes");
    QTest::newRow("1 entry") << 1 << QList<int>{1};
    QTest::newRow("25 entries") << 25 << QList<int>{25};
    QTest::newRow("26 entries") << 26 << QList<int>{25, 1};
    QTest::newRow("60 entries") << 60 << QList<int>{25, 25, 10};
}

void tst_eidexchange::readPartialBlocks()
{
    QFETCH(int, count);
    QFETCH(QList<int>, blockSizes);
    for (int Slot = 0; Slot < EidCount; ++Slot)
        Device->SetEid(Slot, Slot == 25 ? -1 : 300 + Slot);
    SetList(Untouched());

    QVERIFY(W->ExchangeEidRead(Request(count)));

    QCOMPARE(Requests().size(), blockSizes.size());
    for (int Block = 0; Block < blockSizes.size(); ++Block) {
        QCOMPARE(Requests().at(Block), ReadFrame(47001 + 50 * Block, blockSizes.at(Block)));
        QCOMPARE(Awaited.at(Block), 4 * blockSizes.at(Block) + 5);
    }
    if (count == 26) {
        // The second block: one EID at 47051, register count 2.
        QCOMPARE(Requests().at(1).left(6), QByteArray::fromHex("0003B7CB0002"));
        QCOMPARE(Awaited.at(1), 9);
        QCOMPARE(W->QLineEdit_Eid[25]->text(), QStringLiteral("-1"));
    }
    QStringList Expected = Untouched();
    for (int Slot = 0; Slot < count; ++Slot)
        Expected[Slot] = QString::number(Device->Eid(Slot));
    QCOMPARE(List(), Expected);
}

void tst_eidexchange::readIgnoresEntryRegister()
{
    // The wire register comes from the position; an entry's register only
    // has to name a slot of the list.
    Device->SetEid(0, 11);
    Device->SetEid(50, 22);
    SetList(Untouched());
    const QJsonObject Doc = WithEntries(Request(0), {EidEntry(47101)});
    QVERIFY(W->ExchangeEidRead(Doc));
    QCOMPARE(Received(), ReadFrame(47001, 1));
    QCOMPARE(W->QLineEdit_Eid[0]->text(), QStringLiteral("11"));
    QCOMPARE(W->QLineEdit_Eid[50]->text(), Untouched().at(50));
}

void tst_eidexchange::writeFullList()
{
    QStringList Texts;
    QVector<qint32> Values;
    for (int Slot = 0; Slot < EidCount; ++Slot) {
        Texts.append(QString::number(5000000 + 3 * Slot));
        Values.append(5000000 + 3 * Slot);
    }
    const struct { int Slot; const char *Text; qint32 Value; } Odd[] = {
        {0, "007", 7}, {1, "", 0}, {2, "-1", -1}, {3, "abc", 0},
        {4, "2147483647", 2147483647}, {5, "-2147483648", qint32(0x80000000u)},
        {6, "2147483648", 0}, {199, "65536", 65536}};
    for (const auto &O : Odd) {
        Texts[O.Slot] = QString::fromLatin1(O.Text);
        Values[O.Slot] = O.Value;
    }
    SetList(Texts);

    LogCapture Log;
    QVERIFY(W->ExchangeEidWrite(W->CollectEidSet()));

    QCOMPARE(Requests().size(), 9);
    QByteArray Expected;
    for (int Block = 0; Block < 8; ++Block) {
        const int Start = 47001 + 50 * Block;
        const QByteArray Sent = Requests().at(Block);
        QCOMPARE(Sent.size(), 109);
        QByteArray Head("\x00\x10", 2);
        PutWord(Head, Start);
        Head += QByteArray::fromHex("003264");
        QCOMPARE(Sent.left(7), Head);
        QCOMPARE(Sent, WriteFrame(Start, Values.mid(25 * Block, 25)));
        QCOMPARE(Awaited.at(Block), 8);
        Expected += Sent;
    }
    QCOMPARE(Requests().at(0).left(7), QByteArray::fromHex("0010B799003264"));
    QCOMPARE(Requests().at(8), CommitFrame);
    QCOMPARE(Awaited.at(8), 8);
    QCOMPARE(Received(), Expected + CommitFrame);
    for (int Slot = 0; Slot < EidCount; ++Slot) {
        QCOMPARE(Device->Eid(Slot, DeviceCore::Committed), Values[Slot]);
        QCOMPARE(W->QLineEdit_Eid[Slot]->text(), QString::number(Values[Slot]));
    }
    QCOMPARE(W->QLineEdit_Eid[0]->text(), QStringLiteral("7"));
    QCOMPARE(W->QLineEdit_Eid[1]->text(), QStringLiteral("0"));
    QCOMPARE(W->QLineEdit_Eid[2]->text(), QStringLiteral("-1"));
    QCOMPARE(Requests().at(0).mid(7 + 8, 4), QByteArray::fromHex("FFFFFFFF"));

    const QStringList Lines = Log.Lines();
    QCOMPARE(Lines.mid(0, 2), (QStringList{"200", "200"}));
    QCOMPARE(Lines.at(2), QStringLiteral("0 7"));
    const int Dump = Lines.indexOf(
        "pParamValue[]--------------------------------------------------------------------");
    QCOMPARE(Dump, 2 + 200);
    QCOMPARE(Lines.at(Dump + 1), QStringLiteral("0 7"));
    QCOMPARE(Lines.at(Dump + 200), QStringLiteral("199 65536"));
    int At = Dump + 201;
    for (int Block = 0; Block < 8; ++Block) {
        const QString Sent = QStringLiteral("%1 %2").arg(Block).arg(
            QString::fromLatin1(Requests().at(Block).toHex().toUpper()));
        const int Logged = Lines.indexOf(Sent, At);
        QVERIFY2(Logged > At, qPrintable(Sent));
        At = Logged;
    }
    QCOMPARE(Lines.at(At + 1), QStringLiteral("00069C410008F799"));
    QCOMPARE(Lines.at(At + 2), QStringLiteral("ReadAck ok"));
    QCOMPARE(Lines.size(), At + 3);
}

void tst_eidexchange::writeTwoBlocks()
{
    SetList(Untouched());
    const QJsonObject Doc = Request(26, [](int Slot) { return 100 + Slot; });
    QVERIFY(W->ExchangeEidWrite(Doc));
    QVector<qint32> Values;
    for (int Slot = 0; Slot < 26; ++Slot)
        Values.append(100 + Slot);
    QCOMPARE(Requests().size(), 3);
    QCOMPARE(Requests().at(0), WriteFrame(47001, Values.mid(0, 25)));
    QCOMPARE(Requests().at(1), WriteFrame(47051, Values.mid(25, 1)));
    QCOMPARE(Requests().at(1).size(), 13);
    QCOMPARE(Requests().at(2), CommitFrame);
    QStringList Expected = Untouched();
    for (int Slot = 0; Slot < 26; ++Slot)
        Expected[Slot] = QString::number(100 + Slot);
    QCOMPARE(List(), Expected);
}

void tst_eidexchange::writeFollowsEntrySlots()
{
    // Entries out of order still write each value at its own slot.
    SetList(Untouched());
    const QJsonObject Doc = WithEntries(Request(0), {EidEntry(47004, 22), EidEntry(47001, 11)});
    QVERIFY(W->ExchangeEidWrite(Doc));
    QCOMPARE(Received(), WriteFrame(47001, {11, 22}) + CommitFrame);
    QCOMPARE(W->QLineEdit_Eid[0]->text(), QStringLiteral("11"));
    QCOMPARE(W->QLineEdit_Eid[1]->text(), QStringLiteral("22"));
    QCOMPARE(W->QLineEdit_Eid[2]->text(), Untouched().at(2));
}

void tst_eidexchange::readFailureKeepsFields_data()
{
    QTest::addColumn<int>("failing");
    QTest::addColumn<int>("fault");   // a fault of the device, or -1
    QTest::addColumn<QByteArray>("body"); // else this reply, CRC added
    QTest::newRow("byte count 102 in block 4") << 4 << int(DeviceFault::WrongCount) << QByteArray();
    QByteArray Zero = QByteArray::fromHex("000300");
    Zero += QByteArray(100, '\x01');
    QTest::newRow("byte count 0 in block 1") << 1 << -1 << Zero;
    QTest::newRow("bad CRC in block 8") << 8 << int(DeviceFault::BadCrc) << QByteArray();
}

void tst_eidexchange::readFailureKeepsFields()
{
    QFETCH(int, failing);
    QFETCH(int, fault);
    QFETCH(QByteArray, body);
    for (int Slot = 0; Slot < EidCount; ++Slot)
        Device->SetEid(Slot, 77 + Slot);
    if (fault >= 0)
        Device->AddFault({DeviceFault::Kind(fault), failing});
    else
        ReplaceReply(failing, body);
    SetList(Untouched());
    LogCapture Log;
    QElapsedTimer Clock;
    Clock.start();
    QVERIFY(!W->ExchangeEidRead(W->CollectEidSet()));
    QVERIFY(Clock.elapsed() < 1400); // failed on the reply, not on a time-out

    QCOMPARE(Requests().size(), failing);
    QCOMPARE(Requests().last(), ReadFrame(47001 + 50 * (failing - 1), 25));
    QCOMPARE(Sim->Replies().last().Bytes().size(), 105);
    QCOMPARE(List(), Untouched());
    QVERIFY(!Log.Contains("ReadAck ok"));
}

void tst_eidexchange::writeFailureKeepsFields_data()
{
    QTest::addColumn<int>("failing");
    QTest::addColumn<QByteArray>("body"); // the reply, CRC added; empty: commit echoes 6
    QTest::addColumn<bool>("committed");
    QTest::newRow("function 0x90 in block 3")
        << 3 << QByteArray::fromHex("0090B7FD0032") << false;
    QTest::newRow("register count 0x0031 in block 1")
        << 1 << QByteArray::fromHex("0010B7990031") << false;
    QTest::newRow("commit echo of code 6") << 9 << QByteArray() << true;
}

void tst_eidexchange::writeFailureKeepsFields()
{
    QFETCH(int, failing);
    QFETCH(QByteArray, body);
    QFETCH(bool, committed);
    if (body.isEmpty())
        Device->AddFault({DeviceFault::CommitCode, failing, 6});
    else
        ReplaceReply(failing, body);
    SetList(Untouched());
    const QJsonObject Doc = W->CollectEidSet();
    LogCapture Log;
    QElapsedTimer Clock;
    Clock.start();
    QVERIFY(!W->ExchangeEidWrite(Doc));
    QVERIFY(Clock.elapsed() < 1400);

    QCOMPARE(Requests().size(), failing);
    QCOMPARE(Received().contains(CommitFrame), committed);
    QCOMPARE(Sim->Replies().last().Bytes().size(), 8);
    QCOMPARE(List(), Untouched());
    QVERIFY(!Log.Contains("ReadAck ok"));
    // The blocks the device acknowledged stay written; only a commit
    // makes the device keep them.
    if (failing > 1)
        QCOMPARE(Device->Eid(0), 1);
    QCOMPARE(Device->Eid(0, DeviceCore::Committed), committed ? 1 : 0);
}

void tst_eidexchange::commitOfSevenBytes()
{
    Device->AddFault({DeviceFault::ShortReply, 9, 1});
    SetList(Untouched());
    LogCapture Log;
    QVERIFY(!W->ExchangeEidWrite(W->CollectEidSet()));
    QCOMPARE(Requests().size(), 9);
    QCOMPARE(Requests().last(), CommitFrame);
    QCOMPARE(Log.Lines().last(), QStringLiteral("00069C410008F7"));
    QCOMPARE(List(), Untouched());
}

void tst_eidexchange::closedPortSendsNothing()
{
    W->SerialPort->ClosePort();
    SetList(Untouched());
    QVERIFY(!W->ExchangeEidRead(W->CollectEidSet()));
    QVERIFY(!W->ExchangeEidWrite(W->CollectEidSet()));
    QCOMPARE(List(), Untouched());
    QVERIFY(Requests().isEmpty());
}

void tst_eidexchange::refusedBeforeSending_data()
{
    QTest::addColumn<bool>("write");
    QTest::addColumn<QJsonObject>("request");
    // The log: exactly these lines, or when they start with the count line
    // "200", these lines first.
    QTest::addColumn<QStringList>("lines");

    const QStringList Full = {"200", "200"};
    const QStringList Two = {"200", "2"};
    for (const bool Write : {false, true}) {
        const QString Kind = QString::fromLatin1(Write ? "write: " : "read: ");
        auto Row = [&Kind](const char *Name) -> QTestData & {
            return QTest::newRow(qPrintable(Kind + QString::fromLatin1(Name)));
        };
        const QJsonArray Entries = Request(200).value("ParamArray").toArray();

        Row("no entries") << Write << Request(0) << QStringList{"200", "0"};
        QJsonArray TooMany = Entries;
        TooMany.append(EidEntry(47401));
        Row("201 entries") << Write << WithEntries(Request(0), TooMany)
                           << QStringList{"200", "201"};

        QJsonObject Doc = Request(3);
        Doc.insert("operate", QStringLiteral("ReadAck"));
        Row("operate ReadAck") << Write << Doc << QStringList();
        Doc = Request(3);
        Doc.insert("TabText", QStringLiteral("ParamSet"));
        Row("parameter request") << Write << Doc << QStringList();
        Doc.insert("TabText", 1);
        Row("kind a number") << Write << Doc << QStringList();
        Doc = Request(3);
        Doc.insert("ParamArray", QJsonObject{{"RegisterAddr", 47001}});
        Row("array an object") << Write << Doc << QStringList();
        Doc.remove("ParamArray");
        Row("array missing") << Write << Doc << QStringList();
        Row("empty document") << Write << QJsonObject()
                              << (Write ? QStringList{"Obj is Null"} : QStringList());

        QJsonArray Changed = Entries;
        Changed[199] = EidEntry(47401);
        Row("slot 200") << Write << WithEntries(Request(0), Changed) << Full;
        Changed = Entries;
        Changed[30] = EidEntry(2147483647);
        Row("largest int register") << Write << WithEntries(Request(0), Changed) << Full;
        Changed = Entries;
        Changed[30] = EidEntry(47000);
        Row("47000 leaves a position unnamed") << Write << WithEntries(Request(0), Changed) << Full;
        Changed = Entries;
        Changed[30] = EidEntry(-47001);
        Row("negative register") << Write << WithEntries(Request(0), Changed) << Full;
        Changed = Entries;
        Changed[30] = 5;
        Row("entry not an object") << Write << WithEntries(Request(0), Changed) << Full;
        Changed = Entries;
        Changed[30] = EidEntry(QStringLiteral("47061"));
        Row("register as text") << Write << WithEntries(Request(0), Changed) << Full;
        if (Write) {
            // A write takes each value's slot from its register, so every
            // position must be named by exactly one entry.
            Row("two entries for one slot")
                << Write << WithEntries(Request(0), {EidEntry(47001, 1), EidEntry(47002, 2)})
                << Two;
            Row("entry beyond the count")
                << Write << WithEntries(Request(0), {EidEntry(47001, 1), EidEntry(47005, 2)})
                << Two;
        }
    }
}

void tst_eidexchange::refusedBeforeSending()
{
    QFETCH(bool, write);
    QFETCH(QJsonObject, request);
    QFETCH(QStringList, lines);
    SetList(Untouched());
    LogCapture Log;
    QVERIFY(!(write ? W->ExchangeEidWrite(request) : W->ExchangeEidRead(request)));
    QCOMPARE(List(), Untouched());
    if (!lines.isEmpty())
        QCOMPARE(Log.Lines().mid(0, lines.size()), lines);
    if (lines.isEmpty() || lines.first() != QStringLiteral("200"))
        QCOMPARE(Log.Lines(), lines);
    VerifyNothingSent();
}

QTEST_MAIN(tst_eidexchange)
#include "tst_eidexchange.moc"
