// The simulated device in-process: framing, every function and exception,
// address filtering, commit semantics, the state file image, every fault,
// and resynchronisation after noise.

#include "Expected.h"
#include "DeviceCore.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

QByteArray Framed(const QByteArray &Body)
{
    return Expected::WithCrc(Body);
}

QByteArray Framed(const char *Hex)
{
    return Framed(QByteArray::fromHex(Hex));
}

QByteArray Word(int Value)
{
    QByteArray Bytes;
    Bytes.append(char((Value >> 8) & 0xFF));
    Bytes.append(char(Value & 0xFF));
    return Bytes;
}

QByteArray Read(int Address, int First, int Count)
{
    return Framed(QByteArray(1, char(Address)) + '\x03' + Word(First) + Word(Count));
}

QByteArray WriteOne(int Address, int Register, int Value)
{
    return Framed(QByteArray(1, char(Address)) + '\x06' + Word(Register) + Word(Value));
}

QByteArray WriteMany(int Address, int First, const QVector<int> &Values)
{
    QByteArray Body = QByteArray(1, char(Address)) + '\x10' + Word(First) + Word(Values.size());
    Body.append(char(2 * Values.size()));
    for (int Value : Values)
        Body += Word(Value);
    return Framed(Body);
}

// Feeds Input as it would arrive and collects every decision of the core.
QList<DeviceReply> Feed(DeviceCore &Core, const QByteArray &Input, QByteArray *Left = nullptr)
{
    QList<DeviceReply> All;
    QByteArray Pending = Input;
    while (!Pending.isEmpty()) {
        const DeviceReply Reply = Core.Take(Pending);
        if (Reply.Consumed <= 0)
            break;
        All.append(Reply);
        Pending.remove(0, Reply.Consumed);
    }
    if (Left)
        *Left = Pending;
    return All;
}

// The one answered request in Input.
DeviceReply Ask(DeviceCore &Core, const QByteArray &Request)
{
    DeviceReply Answered;
    int Count = 0;
    for (const DeviceReply &Reply : Feed(Core, Request)) {
        if (Reply.What == DeviceReply::Answered) {
            Answered = Reply;
            ++Count;
        }
    }
    if (Count != 1)
        qWarning("expected one answered request, got %d", Count);
    return Answered;
}

} // namespace

class tst_devicecore : public QObject
{
    Q_OBJECT

private slots:
    void crcHelperMatchesKnownFrames();
    void startValues_data();
    void startValues();
    void readsEachParameter_data();
    void readsEachParameter();
    void readsWholeBlocks_data();
    void readsWholeBlocks();
    void exceptions_data();
    void exceptions();
    void writeSingleChangesWorkingImageOnly();
    void writeMultipleEidsHighHalfFirst();
    void commitTakesOverEachImage();
    void commitRefusesOtherCodes_data();
    void commitRefusesOtherCodes();
    void commandInsideMultipleWrite();
    void addressFiltering_data();
    void addressFiltering();
    void ownAddressFollowsCommittedModbusId();
    void badCrcGetsNoReply();
    void frameArrivingInPieces();
    void resyncAfterGarbage_data();
    void resyncAfterGarbage();
    void stateRoundTrip();
    void stateFileText();
    void stateRejected_data();
    void stateRejected();
    void faults_data();
    void faults();
    void faultOnlyOnNthRequest();
    void faultParse_data();
    void faultParse();
    void faultParseErrors_data();
    void faultParseErrors();
};

void tst_devicecore::crcHelperMatchesKnownFrames()
{
    // Frames given for the tool: the helper must agree with them.
    QCOMPARE(Framed("00039C430001"), QByteArray::fromHex("00039C4300015A5F"));
    QCOMPARE(Framed("0006 9C41 0006"), QByteArray::fromHex("00069C410006765D"));
    QCOMPARE(Framed("0006 9C41 0008"), QByteArray::fromHex("00069C410008F799"));
    QCOMPARE(Framed("000302 0001"), QByteArray::fromHex("0003020001 4444"));
    QVERIFY(DeviceCore::CrcOk(QByteArray::fromHex("00039C4300015A5F")));
    QVERIFY(!DeviceCore::CrcOk(QByteArray::fromHex("00039C4300015A5E")));
    QCOMPARE(DeviceCore::WithCrc(QByteArray::fromHex("00039C430001")), QByteArray::fromHex("00039C4300015A5F"));
}

void tst_devicecore::startValues_data()
{
    QTest::addColumn<QString>("Name");
    QTest::addColumn<int>("Register");
    QTest::addColumn<int>("ToolStart");
    QTest::addColumn<int>("Min");
    QTest::addColumn<int>("Max");
    // The tool's start value and range of each field.
    QTest::newRow("ModbusID") << "ModbusID" << 40003 << 1 << 1 << 255;
    QTest::newRow("BaudRate") << "BaudRate" << 40005 << 0 << 0 << 5;
    QTest::newRow("OffLineTime") << "OffLineTime" << 40008 << 60 << 60 << 60000;
    QTest::newRow("DataUplinkCycle") << "DataUplinkCycle" << 40009 << 10 << 10 << 60000;
    QTest::newRow("LocalNet") << "LocalNet" << 40207 << 1 << 1 << 255;
    QTest::newRow("TimeMark") << "TimeMark" << 40213 << 0 << 0 << 3;
    QTest::newRow("RfTxPower") << "RfTxPower" << 40301 << 1 << 1 << 20;
    QTest::newRow("RfFrequency") << "RfFrequency" << 40302 << 150 << 150 << 960;
    QTest::newRow("RfBandWidth") << "RfBandWidth" << 40303 << 0 << 0 << 2;
    QTest::newRow("RfSf") << "RfSf" << 40304 << 6 << 6 << 12;
    QTest::newRow("RfLeadCode") << "RfLeadCode" << 40305 << 1 << 1 << 60000;
    QTest::newRow("TxTimeout") << "TxTimeout" << 40307 << 10 << 10 << 60000;
    QTest::newRow("RxTimeout") << "RxTimeout" << 40308 << 10 << 10 << 60000;
    QTest::newRow("RssiOut") << "RssiOut" << 40310 << 0 << 0 << 1;
}

void tst_devicecore::startValues()
{
    QFETCH(QString, Name);
    QFETCH(int, Register);
    QFETCH(int, ToolStart);
    QFETCH(int, Min);
    QFETCH(int, Max);

    QCOMPARE(DeviceCore::Params().size(), 14);
    bool Listed = false;
    for (const DeviceCore::Param &P : DeviceCore::Params()) {
        if (P.Register == Register) {
            QCOMPARE(QString::fromLatin1(P.Name), Name);
            Listed = true;
        }
    }
    QVERIFY(Listed);

    DeviceCore Core;
    const int Value = Core.Register(Register);
    QCOMPARE(int(Core.Register(Register, DeviceCore::Committed)), Value);
    QVERIFY2(Value >= Min && Value <= Max, qPrintable(QString::number(Value)));
    QVERIFY2(Value != ToolStart, qPrintable(QString::number(Value)));
}

void tst_devicecore::readsEachParameter_data()
{
    QTest::addColumn<int>("Register");
    QTest::addColumn<QByteArray>("Reply");
    QTest::newRow("40003") << 40003 << Framed("00 03 02 0011");
    QTest::newRow("40005") << 40005 << Framed("00 03 02 0001");
    QTest::newRow("40008") << 40008 << Framed("00 03 02 012C");
    QTest::newRow("40009") << 40009 << Framed("00 03 02 003C");
    QTest::newRow("40207") << 40207 << Framed("00 03 02 0005");
    QTest::newRow("40213") << 40213 << Framed("00 03 02 0001");
    QTest::newRow("40301") << 40301 << Framed("00 03 02 0014");
    QTest::newRow("40302") << 40302 << QByteArray::fromHex("00 03 02 01D6 058A");
    QTest::newRow("40303") << 40303 << Framed("00 03 02 0001");
    QTest::newRow("40304") << 40304 << Framed("00 03 02 0009");
    QTest::newRow("40305") << 40305 << Framed("00 03 02 0008");
    QTest::newRow("40307") << 40307 << Framed("00 03 02 03E8");
    QTest::newRow("40308") << 40308 << Framed("00 03 02 00C8");
    QTest::newRow("40310") << 40310 << Framed("00 03 02 0001");
    QTest::newRow("between the parameters") << 40100 << Framed("00 03 02 0000");
    QTest::newRow("command register") << 40001 << Framed("00 03 02 0000");
    QTest::newRow("last EID register") << 47400 << Framed("00 03 02 0000");
}

void tst_devicecore::readsEachParameter()
{
    QFETCH(int, Register);
    QFETCH(QByteArray, Reply);
    DeviceCore Core;
    const DeviceReply Answer = Ask(Core, Read(0, Register, 1));
    QCOMPARE(Answer.Consumed, 8);
    QCOMPARE(Answer.Transaction, 1);
    QCOMPARE(Answer.Chunks.size(), 1);
    QCOMPARE(Answer.Bytes().toHex(), Reply.toHex());
    QCOMPARE(Answer.DelayMs, 0);
    QVERIFY(!Answer.HangUp);
    QVERIFY(!Answer.Committed);
}

void tst_devicecore::readsWholeBlocks_data()
{
    QTest::addColumn<int>("First");
    QTest::addColumn<int>("Count");
    QTest::newRow("parameter block start, 125") << 40001 << 125;
    QTest::newRow("parameter block end, 125") << 40196 << 125;
    QTest::newRow("around the map's last register") << 40300 << 21;
    QTest::newRow("EID block, 25 EIDs") << 47351 << 50;
    QTest::newRow("EID block end, 125") << 47276 << 125;
    QTest::newRow("one EID register") << 47001 << 1;
}

void tst_devicecore::readsWholeBlocks()
{
    QFETCH(int, First);
    QFETCH(int, Count);
    DeviceCore Core;
    QByteArray Expected = QByteArray::fromHex("0003") + char(2 * Count);
    for (int R = First; R < First + Count; ++R) {
        int Value = 0;
        for (const DeviceCore::Param &P : DeviceCore::Params()) {
            if (P.Register == R)
                Value = P.Start;
        }
        Expected += Word(Value);
    }
    const DeviceReply Answer = Ask(Core, Read(0, First, Count));
    QCOMPARE(Answer.Bytes().toHex(), Framed(Expected).toHex());
}

void tst_devicecore::exceptions_data()
{
    QTest::addColumn<QByteArray>("Request");
    QTest::addColumn<QByteArray>("Reply");
    QTest::newRow("read count 0") << Read(0, 40003, 0) << Framed("00 83 03");
    QTest::newRow("read count 126") << Read(0, 40001, 126) << Framed("00 83 03");
    QTest::newRow("read below the parameter block") << Read(0, 40000, 1) << Framed("00 83 02");
    QTest::newRow("read past the parameter block") << Read(0, 40320, 2) << Framed("00 83 02");
    QTest::newRow("read register 40321") << Read(0, 40321, 1) << Framed("00 83 02");
    QTest::newRow("read register 0") << Read(0, 0, 1) << Framed("00 83 02");
    QTest::newRow("read below the EID block") << Read(0, 47000, 2) << Framed("00 83 02");
    QTest::newRow("read past the EID block") << Read(0, 47399, 3) << Framed("00 83 02");
    QTest::newRow("read 47401") << Read(0, 47401, 1) << Framed("00 83 02");
    QTest::newRow("bad count before bad address") << Read(0, 50000, 200) << Framed("00 83 03");
    QTest::newRow("write outside the blocks") << WriteOne(0, 40321, 1) << Framed("00 86 02");
    QTest::newRow("write 47401") << WriteOne(0, 47401, 1) << Framed("00 86 02");
    QTest::newRow("command code 5") << WriteOne(0, 40001, 5) << Framed("00 86 03");
    QTest::newRow("multiple write count 0") << Framed("00 10 B799 0000 00") << Framed("00 90 03");
    QTest::newRow("multiple write count 124")
        << WriteMany(0, 40002, QVector<int>(124, 0)) << Framed("00 90 03");
    QTest::newRow("multiple write byte count odd") << Framed("00 10 B799 0001 03 000000") << Framed("00 90 03");
    QTest::newRow("multiple write byte count not 2 x count")
        << Framed("00 10 B799 0002 02 0000") << Framed("00 90 03");
    QTest::newRow("multiple write past the EID block") << WriteMany(0, 47399, {1, 2, 3}) << Framed("00 90 02");
    QTest::newRow("multiple write across the blocks' gap") << WriteMany(0, 40320, {1, 2}) << Framed("00 90 02");
    QTest::newRow("read input registers") << Framed("00 04 9C41 0001") << Framed("00 84 01");
    QTest::newRow("write coil") << Framed("00 05 0000 FF00") << Framed("00 85 01");
    QTest::newRow("unknown function, 4-byte frame") << Framed("00 11") << Framed("00 91 01");
    QTest::newRow("unknown function, own address") << Framed("11 2B 0E 01 00") << Framed("11 AB 01");
}

void tst_devicecore::exceptions()
{
    QFETCH(QByteArray, Request);
    QFETCH(QByteArray, Reply);
    DeviceCore Core;
    const QJsonObject Before = Core.SaveState();
    const DeviceReply Answer = Ask(Core, Request);
    QCOMPARE(Answer.Consumed, Request.size());
    QCOMPARE(Answer.Bytes().toHex(), Reply.toHex());
    QVERIFY(!Answer.Committed);
    // Nothing changed in either image.
    QCOMPARE(Core.SaveState(), Before);
    for (int R = DeviceCore::ParamFirst; R <= DeviceCore::ParamLast; ++R)
        QCOMPARE(Core.Register(R), Core.Register(R, DeviceCore::Committed));
    for (int Slot = 0; Slot < DeviceCore::EidCount; ++Slot)
        QCOMPARE(Core.Eid(Slot), 0);
}

void tst_devicecore::writeSingleChangesWorkingImageOnly()
{
    DeviceCore Core;
    const QByteArray Request = QByteArray::fromHex("00 06 9D6E 01B1") ;
    const QByteArray Frame = Framed(Request);
    const DeviceReply Answer = Ask(Core, Frame);
    QCOMPARE(Answer.Bytes().toHex(), Frame.toHex()); // the echo
    QVERIFY(!Answer.Committed);
    QCOMPARE(int(Core.Register(40302)), 433);
    QCOMPARE(int(Core.Register(40302, DeviceCore::Committed)), 470);
    QCOMPARE(Ask(Core, Read(0, 40302, 1)).Bytes().toHex(), Framed("00 03 02 01B1").toHex());

    // A write to a register between the parameters is kept as well.
    QCOMPARE(Ask(Core, WriteOne(0, 40100, 0xFFFF)).Bytes().toHex(), WriteOne(0, 40100, 0xFFFF).toHex());
    QCOMPARE(int(Core.Register(40100)), 0xFFFF);
    // The command register keeps nothing.
    QCOMPARE(Ask(Core, WriteOne(0, 40001, 6)).Bytes().toHex(), WriteOne(0, 40001, 6).toHex());
    QCOMPARE(Ask(Core, Read(0, 40001, 1)).Bytes().toHex(), Framed("00 03 02 0000").toHex());
}

void tst_devicecore::writeMultipleEidsHighHalfFirst()
{
    DeviceCore Core;
    QVector<int> Values;
    QVector<qint32> Eids;
    for (int I = 0; I < 25; ++I) {
        const qint32 Eid = I == 3 ? -1 : I == 4 ? qint32(0x80000000u) : 0x01020304 * (I + 1);
        Eids.append(Eid);
        Values.append(int(quint32(Eid) >> 16));
        Values.append(int(quint32(Eid) & 0xFFFF));
    }
    const QByteArray Request = WriteMany(0, 47051, Values);
    QCOMPARE(Request.size(), 109);
    const DeviceReply Answer = Ask(Core, Request);
    QCOMPARE(Answer.Consumed, 109);
    QCOMPARE(Answer.Bytes().toHex(), Framed("00 10 B7CB 0032").toHex());
    for (int I = 0; I < 25; ++I) {
        QCOMPARE(Core.Eid(25 + I), Eids[I]);
        QCOMPARE(Core.Eid(25 + I, DeviceCore::Committed), 0);
    }
    QCOMPARE(Core.Eid(24), 0);
    QCOMPARE(Core.Eid(50), 0);
    QCOMPARE(int(Core.Register(47051 + 6)), 0xFFFF);
    QCOMPARE(int(Core.Register(47051 + 8)), 0x8000);
    QCOMPARE(int(Core.Register(47051 + 9)), 0x0000);

    // Read back as the tool reads a block: 4 bytes an EID, most significant first.
    QByteArray Expected = QByteArray::fromHex("0003") + char(100);
    for (int Value : Values)
        Expected += Word(Value);
    QCOMPARE(Ask(Core, Read(0, 47051, 50)).Bytes().toHex(), Framed(Expected).toHex());
}

void tst_devicecore::commitTakesOverEachImage()
{
    DeviceCore Core;
    Ask(Core, WriteOne(0, 40302, 433));
    Ask(Core, WriteMany(0, 47001, {0x1234, 0x5678}));

    // Code 6: the parameters, not the EIDs.
    const DeviceReply Six = Ask(Core, QByteArray::fromHex("00069C410006765D"));
    QCOMPARE(Six.Bytes().toHex(), QByteArray("00069c410006765d"));
    QVERIFY(Six.Committed);
    QCOMPARE(int(Core.Register(40302, DeviceCore::Committed)), 433);
    QCOMPARE(Core.Eid(0, DeviceCore::Committed), 0);
    QCOMPARE(Core.Eid(0), 0x12345678);

    // Code 8: the EIDs.
    const DeviceReply Eight = Ask(Core, QByteArray::fromHex("00069C410008F799"));
    QCOMPARE(Eight.Bytes().toHex(), QByteArray("00069c410008f799"));
    QVERIFY(Eight.Committed);
    QCOMPARE(Core.Eid(0, DeviceCore::Committed), 0x12345678);

    // A later write is again only in the working image.
    Ask(Core, WriteOne(0, 40302, 868));
    QCOMPARE(int(Core.Register(40302)), 868);
    QCOMPARE(int(Core.Register(40302, DeviceCore::Committed)), 433);
    QCOMPARE(Core.Transactions(), 5);
}

void tst_devicecore::commitRefusesOtherCodes_data()
{
    QTest::addColumn<int>("Code");
    QTest::newRow("0") << 0;
    QTest::newRow("1") << 1;
    QTest::newRow("7") << 7;
    QTest::newRow("9") << 9;
    QTest::newRow("0x0600") << 0x0600;
    QTest::newRow("0xFFFF") << 0xFFFF;
}

void tst_devicecore::commitRefusesOtherCodes()
{
    QFETCH(int, Code);
    DeviceCore Core;
    Ask(Core, WriteOne(0, 40302, 433));
    const DeviceReply Answer = Ask(Core, WriteOne(0, 40001, Code));
    QCOMPARE(Answer.Bytes().toHex(), Framed("00 86 03").toHex());
    QVERIFY(!Answer.Committed);
    QCOMPARE(int(Core.Register(40302, DeviceCore::Committed)), 470);
}

void tst_devicecore::commandInsideMultipleWrite()
{
    DeviceCore Core;
    // 40001..40003 with a refused code: nothing is stored.
    DeviceReply Answer = Ask(Core, WriteMany(0, 40001, {5, 77, 99}));
    QCOMPARE(Answer.Bytes().toHex(), Framed("00 90 03").toHex());
    QCOMPARE(int(Core.Register(40002)), 0);
    QCOMPARE(int(Core.Register(40003)), 17);

    // With code 6 the other registers are stored, then taken over.
    Answer = Ask(Core, WriteMany(0, 40001, {6, 77, 99}));
    QCOMPARE(Answer.Bytes().toHex(), Framed("00 10 9C41 0003").toHex());
    QVERIFY(Answer.Committed);
    QCOMPARE(int(Core.Register(40002, DeviceCore::Committed)), 77);
    QCOMPARE(int(Core.Register(40003, DeviceCore::Committed)), 99);
    QCOMPARE(int(Core.Register(40001)), 0);
}

void tst_devicecore::addressFiltering_data()
{
    QTest::addColumn<int>("Address");
    QTest::addColumn<bool>("Answered");
    QTest::newRow("0x00") << 0x00 << true;
    QTest::newRow("own address 17") << 17 << true;
    QTest::newRow("1, the tool's start value") << 1 << false;
    QTest::newRow("16") << 16 << false;
    QTest::newRow("18") << 18 << false;
    QTest::newRow("247") << 247 << false;
    QTest::newRow("255") << 255 << false;
}

void tst_devicecore::addressFiltering()
{
    QFETCH(int, Address);
    QFETCH(bool, Answered);
    DeviceCore Core;
    QCOMPARE(int(Core.OwnAddress()), 17);
    const QByteArray Request = Read(Address, 40003, 1) + WriteOne(Address, 40302, 433);
    const QList<DeviceReply> Replies = Feed(Core, Request);
    QCOMPARE(Replies.size(), 2);
    for (const DeviceReply &Reply : Replies) {
        QCOMPARE(Reply.Consumed, 8);
        QCOMPARE(Reply.What, Answered ? DeviceReply::Answered : DeviceReply::NotOurs);
        QCOMPARE(Reply.Chunks.isEmpty(), !Answered);
    }
    if (Answered) {
        // The reply carries the address the request came with.
        QCOMPARE(Replies[0].Bytes().toHex(),
                 Framed(QByteArray(1, char(Address)) + QByteArray::fromHex("03 02 0011")).toHex());
    }
    QCOMPARE(int(Core.Register(40302)), Answered ? 433 : 470);
    QCOMPARE(Core.Transactions(), Answered ? 2 : 0);
}

void tst_devicecore::ownAddressFollowsCommittedModbusId()
{
    DeviceCore Core;
    Ask(Core, WriteOne(0, 40003, 5));
    // Not yet taken over: still 17.
    QCOMPARE(int(Core.OwnAddress()), 17);
    QCOMPARE(Feed(Core, Read(5, 40003, 1)).first().What, DeviceReply::NotOurs);
    QCOMPARE(Feed(Core, Read(17, 40003, 1)).first().What, DeviceReply::Answered);

    Ask(Core, WriteOne(0, 40001, 6));
    QCOMPARE(int(Core.OwnAddress()), 5);
    QCOMPARE(Feed(Core, Read(5, 40003, 1)).first().Bytes().toHex(), Framed("05 03 02 0005").toHex());
    QCOMPARE(Feed(Core, Read(17, 40003, 1)).first().What, DeviceReply::NotOurs);
    QCOMPARE(Feed(Core, Read(0, 40003, 1)).first().What, DeviceReply::Answered);

    // An address that is none leaves only 0x00.
    Core.SetRegister(40003, 0);
    QCOMPARE(int(Core.OwnAddress()), 0);
    Core.SetRegister(40003, 256);
    QCOMPARE(int(Core.OwnAddress()), 0);
    QCOMPARE(Feed(Core, Read(0, 40003, 1)).first().What, DeviceReply::Answered);
}

void tst_devicecore::badCrcGetsNoReply()
{
    DeviceCore Core;
    QByteArray Request = WriteOne(0, 40302, 433);
    Request[7] = char(Request[7] ^ 0x01);
    QByteArray Left;
    const QList<DeviceReply> Replies = Feed(Core, Request, &Left);
    int Used = Left.size();
    for (const DeviceReply &Reply : Replies) {
        QCOMPARE(Reply.What, DeviceReply::Garbage);
        QVERIFY(Reply.Chunks.isEmpty());
        Used += Reply.Consumed;
    }
    QVERIFY(!Replies.isEmpty());
    QVERIFY(Replies.first().Note.contains(QStringLiteral("bad CRC")));
    QCOMPARE(Used, 8);
    QCOMPARE(Core.Transactions(), 0);
    QCOMPARE(int(Core.Register(40302)), 470);

    // The next good request is answered, whatever was left over.
    const QList<DeviceReply> Next = Feed(Core, Left + Read(0, 40302, 1));
    QVERIFY(!Next.isEmpty());
    QCOMPARE(Next.last().What, DeviceReply::Answered);
    QCOMPARE(Next.last().Bytes().toHex(), QByteArray("00030201d6058a"));
}

void tst_devicecore::frameArrivingInPieces()
{
    DeviceCore Core;
    const QByteArray Request = WriteMany(0, 47001, QVector<int>(50, 0x1111));
    QByteArray Pending;
    for (int I = 0; I < Request.size() - 1; ++I) {
        Pending.append(Request.at(I));
        const DeviceReply Reply = Core.Take(Pending);
        QCOMPARE(Reply.What, DeviceReply::Waiting);
        QCOMPARE(Reply.Consumed, 0);
    }
    Pending.append(Request.at(Request.size() - 1));
    const DeviceReply Reply = Core.Take(Pending);
    QCOMPARE(Reply.What, DeviceReply::Answered);
    QCOMPARE(Reply.Consumed, 109);
    QCOMPARE(Core.Eid(24), 0x11111111);
}

void tst_devicecore::resyncAfterGarbage_data()
{
    QTest::addColumn<QByteArray>("Garbage");
    QTest::newRow("one 0xFF") << QByteArray::fromHex("FF");
    QTest::newRow("zeros") << QByteArray::fromHex("000000");
    QTest::newRow("address and read function") << QByteArray::fromHex("0003");
    QTest::newRow("cut read request") << QByteArray::fromHex("00039C4300");
    QTest::newRow("a whole frame with a bad CRC") << QByteArray::fromHex("00039C4300015A5E");
    QTest::newRow("multiple write claiming 255 bytes") << QByteArray::fromHex("0010B799007FFF");
    QTest::newRow("unknown function") << QByteArray::fromHex("112B0E");
    QTest::newRow("exception-like bytes") << QByteArray::fromHex("0083");
    QTest::newRow("text") << QByteArray("hello\r\n");
}

void tst_devicecore::resyncAfterGarbage()
{
    QFETCH(QByteArray, Garbage);
    DeviceCore Core;
    const QByteArray Request = Read(0, 40302, 1);
    QByteArray Left;
    const QList<DeviceReply> Replies = Feed(Core, Garbage + Request, &Left);
    QVERIFY(Left.isEmpty());
    QVERIFY(Replies.size() >= 2);
    int Dropped = 0;
    for (int I = 0; I < Replies.size() - 1; ++I) {
        QCOMPARE(Replies[I].What, DeviceReply::Garbage);
        QVERIFY(Replies[I].Chunks.isEmpty());
        Dropped += Replies[I].Consumed;
    }
    QCOMPARE(Dropped, Garbage.size());
    QCOMPARE(Replies.last().What, DeviceReply::Answered);
    QCOMPARE(Replies.last().Request.toHex(), Request.toHex());
    QCOMPARE(Replies.last().Bytes().toHex(), QByteArray("00030201d6058a"));
    QCOMPARE(Core.Transactions(), 1);
}

void tst_devicecore::stateRoundTrip()
{
    DeviceCore Core;
    Ask(Core, WriteOne(0, 40302, 433));
    Ask(Core, WriteOne(0, 40003, 42));
    Ask(Core, WriteMany(0, 47397, {0xFFFF, 0xFFFE, 0x0001, 0x0002}));
    Ask(Core, WriteOne(0, 40001, 6));
    Ask(Core, WriteOne(0, 40001, 8));
    // Written but not taken over: not kept.
    Ask(Core, WriteOne(0, 40303, 2));
    Ask(Core, WriteMany(0, 47001, {0, 9}));

    const QJsonObject State = Core.SaveState();
    // Through the text of a file, as the program keeps it.
    const QJsonObject Reloaded = QJsonDocument::fromJson(QJsonDocument(State).toJson()).object();
    DeviceCore After;
    QString Error;
    QVERIFY2(After.LoadState(Reloaded, &Error), qPrintable(Error));
    for (DeviceCore::Image Which : {DeviceCore::Working, DeviceCore::Committed}) {
        QCOMPARE(int(After.Register(40302, Which)), 433);
        QCOMPARE(int(After.Register(40003, Which)), 42);
        QCOMPARE(int(After.Register(40303, Which)), 1);
        QCOMPARE(After.Eid(198, Which), qint32(0xFFFFFFFE));
        QCOMPARE(After.Eid(199, Which), 0x00010002);
        QCOMPARE(After.Eid(0, Which), 0);
    }
    QCOMPARE(int(After.OwnAddress()), 42);
    QCOMPARE(After.SaveState(), State);
}

void tst_devicecore::stateFileText()
{
    DeviceCore Core;
    Core.SetEid(0, -2);
    const QJsonObject State = Core.SaveState();
    QCOMPARE(State.value("Version").toInt(), 1);
    const QJsonObject Parameters = State.value("Parameters").toObject();
    QCOMPARE(Parameters.size(), 319);
    QVERIFY(!Parameters.contains("40001"));
    QCOMPARE(Parameters.value("40003").toInt(), 17);
    QCOMPARE(Parameters.value("40302").toInt(), 470);
    QCOMPARE(Parameters.value("40320").toInt(), 0);
    const QJsonObject Eids = State.value("Eids").toObject();
    QCOMPARE(Eids.size(), 200);
    QCOMPARE(Eids.value("47001").toInt(), -2);
    QCOMPARE(Eids.value("47399").toInt(), 0);
    QVERIFY(!Eids.contains("47002"));

    // Registers a hand-written file leaves out keep their factory values.
    DeviceCore Partial;
    QString Error;
    QVERIFY(Partial.LoadState(QJsonDocument::fromJson(R"({"Parameters": {"40302": 900}, "Eids": {"47003": 4294967295}})").object(), &Error));
    QCOMPARE(int(Partial.Register(40302)), 900);
    QCOMPARE(int(Partial.Register(40003)), 17);
    QCOMPARE(Partial.Eid(1), -1);
}

void tst_devicecore::stateRejected_data()
{
    QTest::addColumn<QByteArray>("Json");
    QTest::addColumn<QString>("Says");
    QTest::newRow("unknown key") << QByteArray(R"({"Params": {}})") << "Params";
    QTest::newRow("version 2") << QByteArray(R"({"Version": 2})") << "Version";
    QTest::newRow("parameters not an object") << QByteArray(R"({"Parameters": [1, 2]})") << "Parameters";
    QTest::newRow("command register") << QByteArray(R"({"Parameters": {"40001": 6}})") << "40001";
    QTest::newRow("register past the block") << QByteArray(R"({"Parameters": {"40321": 1}})") << "40321";
    QTest::newRow("not a number") << QByteArray(R"({"Parameters": {"abc": 1}})") << "abc";
    QTest::newRow("value too big") << QByteArray(R"({"Parameters": {"40003": 65536}})") << "40003";
    QTest::newRow("negative value") << QByteArray(R"({"Parameters": {"40003": -1}})") << "40003";
    QTest::newRow("fraction") << QByteArray(R"({"Parameters": {"40003": 1.5}})") << "40003";
    QTest::newRow("text value") << QByteArray(R"({"Parameters": {"40003": "17"}})") << "40003";
    QTest::newRow("EID at a second register") << QByteArray(R"({"Eids": {"47002": 1}})") << "47002";
    QTest::newRow("EID past the block") << QByteArray(R"({"Eids": {"47401": 1}})") << "47401";
    QTest::newRow("EID too big") << QByteArray(R"({"Eids": {"47001": 4294967296}})") << "47001";
}

void tst_devicecore::stateRejected()
{
    QFETCH(QByteArray, Json);
    QFETCH(QString, Says);
    DeviceCore Core;
    Ask(Core, WriteOne(0, 40302, 433));
    QString Error;
    QVERIFY(!Core.LoadState(QJsonDocument::fromJson(Json).object(), &Error));
    QVERIFY2(Error.contains(Says), qPrintable(Error));
    // A refused file changes nothing.
    QCOMPARE(int(Core.Register(40302)), 433);
    QCOMPARE(int(Core.Register(40302, DeviceCore::Committed)), 470);
}

void tst_devicecore::faults_data()
{
    QTest::addColumn<QString>("Fault");
    QTest::addColumn<QByteArray>("Request");
    QTest::addColumn<QList<QByteArray>>("Chunks");
    QTest::addColumn<int>("DelayMs");
    QTest::addColumn<int>("GapMs");
    QTest::addColumn<bool>("HangUp");
    QTest::addColumn<bool>("CarriedOut"); // 40302 holds 433 afterwards

    const QByteArray ReadRf = Read(0, 40302, 1);
    const QByteArray Good = QByteArray::fromHex("00030201D6058A");
    const QByteArray WriteRf = WriteOne(0, 40302, 433);
    using L = QList<QByteArray>;

    QTest::newRow("silence") << "silence" << WriteRf << L() << 0 << 0 << false << false;
    QTest::newRow("bad-crc") << "bad-crc" << ReadRf << L {QByteArray::fromHex("00030201D60575")} << 0 << 0 << false << false;
    QTest::newRow("bad-crc on a write") << "bad-crc" << WriteRf
                                         << L {WriteRf.left(7) + char(~WriteRf.at(7))} << 0 << 0 << false << true;
    QTest::newRow("short") << "short" << ReadRf << L {Good.left(6)} << 0 << 0 << false << false;
    QTest::newRow("short=3") << "short=3" << ReadRf << L {Good.left(4)} << 0 << 0 << false << false;
    QTest::newRow("short=99 keeps a byte") << "short=99" << ReadRf << L {Good.left(1)} << 0 << 0 << false << false;
    QTest::newRow("extra") << "extra" << ReadRf << L {Good + "\xFF"} << 0 << 0 << false << false;
    QTest::newRow("extra=3") << "extra=3" << WriteRf << L {WriteRf + "\xFF\xFF\xFF"} << 0 << 0 << false << true;
    QTest::newRow("chunks") << "chunks" << ReadRf
                            << L {Good.mid(0, 2), Good.mid(2, 2), Good.mid(4, 2), Good.mid(6)} << 0 << 20 << false
                            << false;
    QTest::newRow("chunks=3,50") << "chunks=3,50" << WriteRf << L {WriteRf.mid(0, 3), WriteRf.mid(3, 3), WriteRf.mid(6)}
                                 << 0 << 50 << false << true;
    QTest::newRow("slow") << "slow" << ReadRf << L {Good} << 2000 << 0 << false << false;
    QTest::newRow("slow=150") << "slow=150" << WriteRf << L {WriteRf} << 150 << 0 << false << true;
    QTest::newRow("wrong-count on a read") << "wrong-count" << ReadRf << L {Framed("00 03 04 01D6")} << 0 << 0 << false
                                           << false;
    QTest::newRow("wrong-count on a multiple write")
        << "wrong-count" << WriteMany(0, 40302, {433}) << L {Framed("00 10 9D6E 0002")} << 0 << 0 << false << true;
    QTest::newRow("wrong-count leaves a single write") << "wrong-count" << WriteRf << L {WriteRf} << 0 << 0 << false
                                                       << true;
    QTest::newRow("echo-value") << "echo-value" << WriteRf << L {WriteOne(0, 40302, 434)} << 0 << 0 << false << true;
    QTest::newRow("echo-value=470") << "echo-value=470" << WriteRf << L {WriteOne(0, 40302, 470)} << 0 << 0 << false
                                    << true;
    QTest::newRow("echo-value leaves a read") << "echo-value" << ReadRf << L {Good} << 0 << 0 << false << false;
    QTest::newRow("echo-value leaves a commit") << "echo-value" << WriteOne(0, 40001, 6) << L {WriteOne(0, 40001, 6)}
                                                << 0 << 0 << false << false;
    QTest::newRow("commit-code") << "commit-code" << WriteOne(0, 40001, 6) << L {WriteOne(0, 40001, 0)} << 0 << 0
                                 << false << false;
    QTest::newRow("commit-code=6 on code 8") << "commit-code=6" << WriteOne(0, 40001, 8) << L {WriteOne(0, 40001, 6)}
                                             << 0 << 0 << false << false;
    QTest::newRow("commit-code leaves a write") << "commit-code" << WriteRf << L {WriteRf} << 0 << 0 << false << true;
    QTest::newRow("exception") << "exception" << WriteRf << L {Framed("00 86 04")} << 0 << 0 << false << false;
    QTest::newRow("exception=2") << "exception=2" << ReadRf << L {Framed("00 83 02")} << 0 << 0 << false << false;
    QTest::newRow("exception on a multiple write") << "exception" << WriteMany(0, 40302, {433}) << L {Framed("00 90 04")}
                                                   << 0 << 0 << false << false;
    QTest::newRow("hangup") << "hangup" << WriteRf << L() << 0 << 0 << true << false;
}

void tst_devicecore::faults()
{
    QFETCH(QString, Fault);
    QFETCH(QByteArray, Request);
    QFETCH(QList<QByteArray>, Chunks);
    QFETCH(int, DelayMs);
    QFETCH(int, GapMs);
    QFETCH(bool, HangUp);
    QFETCH(bool, CarriedOut);

    DeviceFault Parsed;
    QString Error;
    QVERIFY2(DeviceFault::Parse(Fault, Parsed, &Error), qPrintable(Error));
    DeviceCore Core;
    Core.AddFault(Parsed);
    const DeviceReply Answer = Ask(Core, Request);
    QCOMPARE(Answer.What, DeviceReply::Answered);
    QCOMPARE(Answer.Consumed, Request.size());
    QCOMPARE(Answer.Chunks.size(), Chunks.size());
    for (int I = 0; I < Chunks.size(); ++I)
        QCOMPARE(Answer.Chunks[I].toHex(), Chunks[I].toHex());
    QCOMPARE(Answer.DelayMs, DelayMs);
    QCOMPARE(Answer.GapMs, GapMs);
    QCOMPARE(Answer.HangUp, HangUp);
    QCOMPARE(int(Core.Register(40302)), CarriedOut ? 433 : 470);
    // The commit is carried out under commit-code and echo-value, not under
    // silence, exception or hang-up.
    if (Request == WriteOne(0, 40001, 6) || Request == WriteOne(0, 40001, 8))
        QVERIFY(Answer.Committed);
    // The note names the fault exactly when it changed the answer.
    DeviceCore Clean;
    const DeviceReply Plain = Ask(Clean, Request);
    const bool Changed = Answer.Chunks != Plain.Chunks || Answer.DelayMs != Plain.DelayMs
        || Answer.GapMs != Plain.GapMs || Answer.HangUp;
    QCOMPARE(Answer.Note.contains(QStringLiteral("; fault: ") + Parsed.ToString()), Changed);
}

void tst_devicecore::faultOnlyOnNthRequest()
{
    DeviceCore Core;
    DeviceFault Fault;
    QVERIFY(DeviceFault::Parse(QStringLiteral("bad-crc@3"), Fault, nullptr));
    Core.AddFault(Fault);
    QVERIFY(DeviceFault::Parse(QStringLiteral("slow=100@2"), Fault, nullptr));
    Core.AddFault(Fault);
    QVERIFY(DeviceFault::Parse(QStringLiteral("chunks=4,10@3"), Fault, nullptr));
    Core.AddFault(Fault);

    const QByteArray Good = QByteArray::fromHex("00030201D6058A");
    const QByteArray Request = Read(0, 40302, 1);
    // 1: clean.
    DeviceReply Answer = Ask(Core, Request);
    QCOMPARE(Answer.Transaction, 1);
    QCOMPARE(Answer.Bytes().toHex(), Good.toHex());
    QCOMPARE(Answer.DelayMs, 0);
    // A frame for another address does not count.
    QCOMPARE(Feed(Core, Read(9, 40302, 1)).first().What, DeviceReply::NotOurs);
    // 2: slow only.
    Answer = Ask(Core, Request);
    QCOMPARE(Answer.Transaction, 2);
    QCOMPARE(Answer.Bytes().toHex(), Good.toHex());
    QCOMPARE(Answer.DelayMs, 100);
    // 3: bad CRC, in chunks of 4.
    Answer = Ask(Core, Request);
    QCOMPARE(Answer.Transaction, 3);
    QCOMPARE(Answer.Chunks.size(), 2);
    QCOMPARE(Answer.Bytes().toHex(), QByteArray("00030201d60575"));
    QCOMPARE(Answer.GapMs, 10);
    QVERIFY(Answer.Note.contains(QStringLiteral("bad-crc@3")));
    // 4: clean again; an exception reply counts as answered too.
    Answer = Ask(Core, Read(0, 1, 1));
    QCOMPARE(Answer.Transaction, 4);
    QCOMPARE(Answer.Bytes().toHex(), Framed("00 83 02").toHex());
    Answer = Ask(Core, Request);
    QCOMPARE(Answer.Transaction, 5);
    QCOMPARE(Answer.Bytes().toHex(), Good.toHex());
    QCOMPARE(Core.Transactions(), 5);

    Core.ClearFaults();
    QVERIFY(Core.Faults().isEmpty());
}

void tst_devicecore::faultParse_data()
{
    QTest::addColumn<QString>("Text");
    QTest::addColumn<int>("Kind");
    QTest::addColumn<int>("Nth");
    QTest::addColumn<int>("Arg");
    QTest::addColumn<int>("Arg2");
    QTest::addColumn<QString>("Canonical");
    QTest::newRow("silence") << "silence" << int(DeviceFault::Silence) << 0 << -1 << -1 << "silence";
    QTest::newRow("silence@1") << "silence@1" << int(DeviceFault::Silence) << 1 << -1 << -1 << "silence@1";
    QTest::newRow("bad-crc@12") << " bad-crc@12 " << int(DeviceFault::BadCrc) << 12 << -1 << -1 << "bad-crc@12";
    QTest::newRow("short=2") << "short=2" << int(DeviceFault::ShortReply) << 0 << 2 << -1 << "short=2";
    QTest::newRow("extra=0x10@3") << "extra=0x10@3" << int(DeviceFault::ExtraBytes) << 3 << 16 << -1 << "extra=16@3";
    QTest::newRow("chunks") << "chunks" << int(DeviceFault::Chunks) << 0 << -1 << -1 << "chunks";
    QTest::newRow("chunks=1") << "chunks=1" << int(DeviceFault::Chunks) << 0 << 1 << -1 << "chunks=1";
    QTest::newRow("chunks=3,0@2") << "chunks=3,0@2" << int(DeviceFault::Chunks) << 2 << 3 << 0 << "chunks=3,0@2";
    QTest::newRow("slow=0") << "slow=0" << int(DeviceFault::Slow) << 0 << 0 << -1 << "slow=0";
    QTest::newRow("wrong-count") << "wrong-count" << int(DeviceFault::WrongCount) << 0 << -1 << -1 << "wrong-count";
    QTest::newRow("echo-value=65535") << "echo-value=65535" << int(DeviceFault::EchoValue) << 0 << 65535 << -1
                                      << "echo-value=65535";
    QTest::newRow("commit-code=0@15") << "commit-code=0@15" << int(DeviceFault::CommitCode) << 15 << 0 << -1
                                      << "commit-code=0@15";
    QTest::newRow("exception=1") << "exception=1" << int(DeviceFault::Exception) << 0 << 1 << -1 << "exception=1";
    QTest::newRow("hangup@4") << "hangup@4" << int(DeviceFault::HangUp) << 4 << -1 << -1 << "hangup@4";
}

void tst_devicecore::faultParse()
{
    QFETCH(QString, Text);
    QFETCH(int, Kind);
    QFETCH(int, Nth);
    QFETCH(int, Arg);
    QFETCH(int, Arg2);
    QFETCH(QString, Canonical);
    DeviceFault Fault;
    QString Error;
    QVERIFY2(DeviceFault::Parse(Text, Fault, &Error), qPrintable(Error));
    QCOMPARE(int(Fault.What), Kind);
    QCOMPARE(Fault.Nth, Nth);
    QCOMPARE(Fault.Arg, Arg);
    QCOMPARE(Fault.Arg2, Arg2);
    QCOMPARE(Fault.ToString(), Canonical);
    QVERIFY(DeviceFault::Usage().contains(Fault.ToString().section(QLatin1Char('='), 0, 0).section(QLatin1Char('@'), 0, 0)));
}

void tst_devicecore::faultParseErrors_data()
{
    QTest::addColumn<QString>("Text");
    QTest::addColumn<QString>("Says");
    QTest::newRow("empty") << "" << "unknown fault";
    QTest::newRow("unknown kind") << "noise" << "unknown fault 'noise'";
    QTest::newRow("upper case") << "SILENCE" << "unknown fault";
    QTest::newRow("value on silence") << "silence=1" << "takes no value";
    QTest::newRow("value on hangup") << "hangup=1@2" << "takes no value";
    QTest::newRow("two values on slow") << "slow=1,2" << "at most 1";
    QTest::newRow("three values on chunks") << "chunks=1,2,3" << "at most 2";
    QTest::newRow("not a number") << "slow=abc" << "'abc'";
    QTest::newRow("empty value") << "short=" << "''";
    QTest::newRow("short=0") << "short=0" << "from 1 to 255";
    QTest::newRow("chunks=0") << "chunks=0" << "from 1 to 255";
    QTest::newRow("gap too long") << "chunks=2,60001" << "from 0 to 60000";
    QTest::newRow("echo value too big") << "echo-value=65536" << "from 0 to 65535";
    QTest::newRow("exception=0") << "exception=0" << "from 1 to 255";
    QTest::newRow("@0") << "silence@0" << "request number";
    QTest::newRow("@ nothing") << "silence@" << "request number";
    QTest::newRow("@-1") << "silence@-1" << "request number";
    QTest::newRow("@x") << "bad-crc@x" << "request number";
}

void tst_devicecore::faultParseErrors()
{
    QFETCH(QString, Text);
    QFETCH(QString, Says);
    DeviceFault Fault;
    Fault.Nth = 77;
    QString Error;
    QVERIFY(!DeviceFault::Parse(Text, Fault, &Error));
    QVERIFY2(Error.contains(Says), qPrintable(Error));
    QCOMPARE(Fault.Nth, 77); // untouched
}

QTEST_GUILESS_MAIN(tst_devicecore)
#include "tst_devicecore.moc"
