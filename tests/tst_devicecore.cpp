// The simulated device in-process: what it answers to each request, its
// two images and the commit, its address, resynchronisation after noise,
// the state file and the faults it plays.

#include "DeviceCore.h"
#include "Expected.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

using Expected::Crc;
using Expected::Frame;

QByteArray Read(int First, int Count, int Address = 0)
{
    QByteArray F = Frame(0x03, First, Count);
    F[0] = char(Address);
    return Expected::WithCrc(F.left(6));
}

QByteArray WriteOne(int Register, int Value)
{
    return Frame(0x06, Register, Value);
}

QByteArray WriteMany(int First, const QVector<int> &Words)
{
    QByteArray Body = Frame(0x10, First, Words.size()).left(6);
    Body.append(char(2 * Words.size()));
    for (const int Word : Words)
        Body.append(char(Word >> 8)).append(char(Word & 0xFF));
    return Expected::WithCrc(Body);
}

// Feeds Input as it would arrive and collects every decision of the core.
QList<DeviceReply> Feed(DeviceCore &Core, QByteArray Pending)
{
    QList<DeviceReply> All;
    while (!Pending.isEmpty()) {
        const DeviceReply Reply = Core.Take(Pending);
        if (Reply.Consumed <= 0)
            break;
        All << Reply;
        Pending.remove(0, Reply.Consumed);
    }
    return All;
}

// The last decision about Request: for a well-formed one, its answer.
DeviceReply Ask(DeviceCore &Core, const QByteArray &Request)
{
    const QList<DeviceReply> All = Feed(Core, Request);
    return All.isEmpty() ? DeviceReply() : All.last();
}

const QByteArray ReadRf = Read(40302, 1);
const QByteArray ReplyRf = QByteArray::fromHex("00030201D6058A"); // 470, the factory value

} // namespace

class tst_devicecore : public QObject
{
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
    void imagesAndCommit();
    void ownAddress();
    void resync_data();
    void resync();
    void stateRoundTrip();
    void faults_data();
    void faults();
    void faultOnNthRequest();
};

void tst_devicecore::answers_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("read 40003") << Read(40003, 1) << Crc("00 03 02 0011");
    QTest::newRow("read 40302") << ReadRf << ReplyRf;
    QTest::newRow("read 40307..40308") << Read(40307, 2) << Crc("00 03 04 03E8 00C8");
    QTest::newRow("write one, echoed") << WriteOne(40302, 433) << WriteOne(40302, 433);
    QTest::newRow("write many, echoed head") << WriteMany(47051, {1, 2}) << Crc("00 10 B7CB 0002");
    QTest::newRow("read count 0") << Read(40003, 0) << Crc("00 83 03");
    QTest::newRow("read count 126") << Read(40001, 126) << Crc("00 83 03");
    QTest::newRow("read past the parameters") << Read(40320, 2) << Crc("00 83 02");
    QTest::newRow("read across the EID block's start") << Read(47000, 2) << Crc("00 83 02");
    QTest::newRow("command code 5") << WriteOne(40001, 5) << Crc("00 86 03");
    QTest::newRow("byte count not 2 x count") << Crc("00 10 B799 0002 02 0000") << Crc("00 90 03");
    QTest::newRow("write many past the EID block") << WriteMany(47399, {1, 2, 3}) << Crc("00 90 02");
    QTest::newRow("unknown function") << Crc("11 2B 0E 01 00") << Crc("11 AB 01");
}

void tst_devicecore::answers()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    DeviceCore Core;
    const DeviceReply Answer = Ask(Core, request);
    QCOMPARE(Answer.What, DeviceReply::Answered);
    QCOMPARE(Answer.Consumed, request.size());
    QCOMPARE(Answer.Bytes().toHex(' '), reply.toHex(' '));
    QCOMPARE(Core.Transactions(), 1);
    QVERIFY(!Answer.Committed);
}

void tst_devicecore::imagesAndCommit()
{
    DeviceCore Core;
    Ask(Core, WriteOne(40302, 433));
    Ask(Core, WriteMany(47001, {0x1234, 0x5678, 0xFFFF, 0xFFFE}));
    QCOMPARE(int(Core.Register(40302)), 433);
    QCOMPARE(int(Core.Register(40302, DeviceCore::Committed)), 470);
    QCOMPARE(Core.Eid(0), 0x12345678); // high half first
    QCOMPARE(Core.Eid(1), -2);
    QCOMPARE(Ask(Core, Read(47001, 2)).Bytes(), Crc("00 03 04 1234 5678"));

    // A refused code takes nothing over; 6 the parameters; 8 the EIDs.
    QVERIFY(!Ask(Core, WriteOne(40001, 7)).Committed);
    QCOMPARE(int(Core.Register(40302, DeviceCore::Committed)), 470);
    QVERIFY(Ask(Core, Expected::Commit(6)).Committed);
    QCOMPARE(int(Core.Register(40302, DeviceCore::Committed)), 433);
    QCOMPARE(Core.Eid(0, DeviceCore::Committed), 0);
    QVERIFY(Ask(Core, Expected::Commit(8)).Committed);
    QCOMPARE(Core.Eid(0, DeviceCore::Committed), 0x12345678);

    // A command among many registers: checked before anything is stored.
    QCOMPARE(Ask(Core, WriteMany(40001, {5, 77, 99})).Bytes(), Crc("00 90 03"));
    QCOMPARE(int(Core.Register(40003)), 17);
    QVERIFY(Ask(Core, WriteMany(40001, {6, 77, 99})).Committed);
    QCOMPARE(int(Core.Register(40003, DeviceCore::Committed)), 99);
}

void tst_devicecore::ownAddress()
{
    DeviceCore Core;
    QCOMPARE(Ask(Core, Read(40003, 1, 17)).Bytes(), Crc("11 03 02 0011"));
    QCOMPARE(Ask(Core, Read(40003, 1, 5)).What, DeviceReply::NotOurs);
    // A new address counts once it is taken over.
    Ask(Core, WriteOne(40003, 5));
    QCOMPARE(Ask(Core, Read(40003, 1, 5)).What, DeviceReply::NotOurs);
    Ask(Core, Expected::Commit(6));
    QCOMPARE(Ask(Core, Read(40003, 1, 5)).Bytes(), Crc("05 03 02 0005"));
    QCOMPARE(Ask(Core, Read(40003, 1, 17)).What, DeviceReply::NotOurs);
    QCOMPARE(Ask(Core, Read(40003, 1, 0)).What, DeviceReply::Answered);
    QCOMPARE(Core.Transactions(), 5);
}

void tst_devicecore::resync_data()
{
    QTest::addColumn<QByteArray>("garbage");
    QTest::newRow("zeros") << QByteArray::fromHex("000000");
    QTest::newRow("cut read request") << QByteArray::fromHex("00039C4300");
    QTest::newRow("a frame with a bad CRC") << QByteArray::fromHex("00039C4300015A5E");
    QTest::newRow("write many claiming 255 bytes") << QByteArray::fromHex("0010B799007FFF");
    QTest::newRow("text") << QByteArray("hello\r\n");
}

void tst_devicecore::resync()
{
    QFETCH(QByteArray, garbage);
    DeviceCore Core;
    const QList<DeviceReply> Replies = Feed(Core, garbage + ReadRf);
    QVERIFY(Replies.size() >= 2);
    int Dropped = 0;
    for (int I = 0; I < Replies.size() - 1; ++I) {
        QCOMPARE(Replies[I].What, DeviceReply::Garbage);
        QVERIFY(Replies[I].Chunks.isEmpty());
        Dropped += Replies[I].Consumed;
    }
    QCOMPARE(Dropped, garbage.size());
    QCOMPARE(Replies.last().Bytes(), ReplyRf);
    QCOMPARE(Core.Transactions(), 1);

    // A request arriving byte by byte waits until it is whole.
    QByteArray Pending;
    for (const char Byte : ReadRf.left(7)) {
        Pending.append(Byte);
        QCOMPARE(Core.Take(Pending).What, DeviceReply::Waiting);
    }
    QCOMPARE(Core.Take(ReadRf).Bytes(), ReplyRf);
}

void tst_devicecore::stateRoundTrip()
{
    DeviceCore Core;
    Ask(Core, WriteOne(40003, 42));
    Ask(Core, WriteMany(47397, {0xFFFF, 0xFFFE, 0x0001, 0x0002}));
    Ask(Core, Expected::Commit(6));
    Ask(Core, Expected::Commit(8));
    Ask(Core, WriteOne(40303, 2)); // not taken over: not kept

    // Through the text of a file, as the program keeps it.
    const QJsonObject State = Core.SaveState();
    DeviceCore After;
    QString Error;
    QVERIFY2(After.LoadState(QJsonDocument::fromJson(QJsonDocument(State).toJson()).object(), &Error),
             qPrintable(Error));
    for (const DeviceCore::Image Which : {DeviceCore::Working, DeviceCore::Committed}) {
        QCOMPARE(int(After.Register(40003, Which)), 42);
        QCOMPARE(int(After.Register(40303, Which)), 1);
        QCOMPARE(After.Eid(198, Which), qint32(0xFFFFFFFE));
        QCOMPARE(After.Eid(199, Which), 0x00010002);
    }
    QCOMPARE(int(After.OwnAddress()), 42);

    // A hand-written file: what it leaves out keeps the factory value; a
    // refused one changes nothing.
    DeviceCore Fresh;
    QVERIFY(Fresh.LoadState(QJsonDocument::fromJson(R"({"Parameters":{"40302":900},"Eids":{"47003":65538}})").object(), &Error));
    QCOMPARE(int(Fresh.Register(40302)), 900);
    QCOMPARE(int(Fresh.Register(40003)), 17);
    QCOMPARE(Fresh.Eid(1), 65538);
    for (const char *Bad : {R"({"Parameters":{"40001":6}})", R"({"Parameters":{"40003":65536}})",
                            R"({"Eids":{"47002":1}})", R"({"Version":2})"}) {
        QVERIFY2(!Fresh.LoadState(QJsonDocument::fromJson(Bad).object(), &Error), Bad);
        QVERIFY(!Error.isEmpty());
        QCOMPARE(int(Fresh.Register(40302)), 900);
    }
}

void tst_devicecore::faults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<bool>("carriedOut"); // 40302 holds 433 afterwards

    const QByteArray WriteRf = WriteOne(40302, 433);
    using L = QList<QByteArray>;
    QTest::newRow("bad-crc") << "bad-crc" << ReadRf << L{QByteArray::fromHex("00030201D60575")} << 0 << false;
    QTest::newRow("short=3") << "short=3" << ReadRf << L{ReplyRf.left(4)} << 0 << false;
    QTest::newRow("chunks=3,50") << "chunks=3,50" << WriteRf << L{WriteRf.mid(0, 3), WriteRf.mid(3, 3), WriteRf.mid(6)} << 0 << true;
    QTest::newRow("wrong-count on write many") << "wrong-count" << WriteMany(40302, {433}) << L{Crc("00 10 9D6E 0002")} << 0 << true;
    QTest::newRow("commit-code=6 on code 8") << "commit-code=6" << Expected::Commit(8) << L{Expected::Commit(6)} << 0 << false;
    QTest::newRow("exception=2") << "exception=2" << WriteRf << L{Crc("00 86 02")} << 0 << false;
    QTest::newRow("hangup") << "hangup" << WriteRf << L() << 0 << false;
}

void tst_devicecore::faults()
{
    QFETCH(QString, fault);
    QFETCH(QByteArray, request);
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(int, delayMs);
    QFETCH(bool, carriedOut);
    DeviceFault Parsed;
    QString Error;
    QVERIFY2(DeviceFault::Parse(fault, Parsed, &Error), qPrintable(Error));
    QCOMPARE(Parsed.ToString(), fault);
    DeviceCore Core;
    Core.AddFault(Parsed);
    const DeviceReply Answer = Ask(Core, request);
    QCOMPARE(Answer.What, DeviceReply::Answered);
    QCOMPARE(Answer.Chunks, chunks);
    QCOMPARE(Answer.DelayMs, delayMs);
    QCOMPARE(Answer.HangUp, fault == QStringLiteral("hangup"));
    QCOMPARE(int(Core.Register(40302)), carriedOut ? 433 : 470);
    if (request == Expected::Commit(8))
        QVERIFY(Answer.Committed); // carried out, only the echo is wrong

    for (const char *Bad : {"noise", "silence=1", "short=0", "chunks=1,2,3", "slow=abc", "bad-crc@0"})
        QVERIFY2(!DeviceFault::Parse(QString::fromLatin1(Bad), Parsed, &Error), Bad);
}

void tst_devicecore::faultOnNthRequest()
{
    DeviceCore Core;
    DeviceFault Fault;
    QVERIFY(DeviceFault::Parse(QStringLiteral("bad-crc@3"), Fault, nullptr));
    Core.AddFault(Fault);
    QVERIFY(DeviceFault::Parse(QStringLiteral("slow=100@2"), Fault, nullptr));
    Core.AddFault(Fault);
    QCOMPARE(Ask(Core, ReadRf).Bytes(), ReplyRf);
    QCOMPARE(Ask(Core, Read(40302, 1, 9)).What, DeviceReply::NotOurs); // not counted
    const DeviceReply Second = Ask(Core, ReadRf);
    QCOMPARE(Second.Bytes(), ReplyRf);
    QCOMPARE(Second.DelayMs, 100);
    QVERIFY(Ask(Core, ReadRf).Bytes() != ReplyRf);
    QCOMPARE(Ask(Core, ReadRf).Bytes(), ReplyRf);
    QCOMPARE(Core.Transactions(), 4);
}

QTEST_GUILESS_MAIN(tst_devicecore)
#include "tst_devicecore.moc"
