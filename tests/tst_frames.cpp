// The Modbus RTU frames and reply tests, and the configuration documents:
// known answers on the wire, and a few rows for each way a reply or a
// document is refused.

#include <QtTest>

#include <climits>

#include "ConfigDocument.h"
#include "Expected.h"
#include "ModbusRtu.h"
#include "ReplyCheck.h"

using namespace ModbusRtu;
using Expected::Crc;

namespace {

QByteArray Hex(const char *Text)
{
    return QByteArray::fromHex(QByteArray(Text).replace(' ', ""));
}

QJsonObject Doc(const char *Json)
{
    return QJsonDocument::fromJson(QByteArray(Json)).object();
}

enum Test { ParamRead, ParamWrite, Commit, EidRead, EidWrite };
const int NotExamined = INT_MIN;

// The transaction a row's reply answers: register 40302 (a write sends
// 433 to it), the command register, or the EID block from 47001; Count is
// the block's EIDs or the commit's code.
Transaction Asked(int Test, int Count)
{
    Transaction Where;
    Where.What = Transaction::Kind(Test);
    Where.Count = Count;
    Where.Register = Test == Commit ? CommandRegister : (Test >= EidRead ? 47001 : 40302);
    Where.Value = 433;
    return Where;
}

} // namespace

class tst_frames : public QObject
{
    Q_OBJECT

private slots:
    void crc();
    void requests_data();
    void requests();
    void replies_data();
    void replies();
    void faults_data();
    void faults();
    void eidValues();
    void documents();
};

void tst_frames::crc()
{
    QCOMPARE(int(ModbusCrc16("123456789")), 0x374B); // check value 0x4B37, bytes exchanged
    QCOMPARE(int(ModbusCrc16(QByteArray())), 0xFFFF);
    const QByteArray Good = Hex("00 06 9C 41 00 06 76 5D");
    QVERIFY(CrcResidueOk(Good));
    for (int Pos = 0; Pos < Good.size(); ++Pos) {
        for (const int Mask : {0x01, 0x80, 0x5A}) {
            QByteArray Bad = Good;
            Bad[Pos] = char(Bad.at(Pos) ^ Mask);
            QVERIFY2(!CrcResidueOk(Bad), qPrintable(QString::number(Pos)));
        }
    }
}

void tst_frames::requests_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("read 40003") << BuildParamRead(40003) << Hex("00 03 9C 43 00 01 5A 5F");
    QTest::newRow("read 40310") << BuildParamRead(40310) << Hex("00 03 9D 76 00 01 4B AD");
    QTest::newRow("read cut to 16 bits") << BuildParamRead(0x10000 + 40003) << Hex("00 03 9C 43 00 01 5A 5F");
    QTest::newRow("write -1") << BuildParamWrite(40003, -1) << Hex("00 06 9C 43 FF FF 56 2F");
    QTest::newRow("write cut to 16 bits") << BuildParamWrite(40003, 0x10001) << Hex("00 06 9C 43 00 01 96 5F");
    QTest::newRow("commit 6") << BuildCommit(CommitParamCode) << Hex("00 06 9C 41 00 06 76 5D");
    QTest::newRow("commit 8") << BuildCommit(CommitEidCode) << Hex("00 06 9C 41 00 08 F7 99");

    QTest::newRow("eid read 25 at 47001") << BuildEidRead(47001, 25) << Hex("00 03 B7 99 00 32 32 55");
    QTest::newRow("eid read 1 at 47051") << BuildEidRead(47051, 1) << Expected::EidRead(47051, 1);
    QVector<qint32> Values{-1, 0, INT_MIN, INT_MAX};
    for (int M = 4; M < EidsPerBlock; ++M)
        Values << 0x01020304 * M;
    const QByteArray Full = BuildEidWrite(47001, Values);
    QTest::newRow("eid write 25") << Full << Expected::EidWrite(47001, Values);
    QTest::newRow("eid write 25, head and crc") << Full.left(11) + Full.right(2)
                                                << Hex("00 10 B7 99 00 32 64 FF FF FF FF 71 93");
}

void tst_frames::requests()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, expected);
    QCOMPARE(frame.toHex(' '), expected.toHex(' '));
}

void tst_frames::replies_data()
{
    QTest::addColumn<int>("test");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("count"); // EID count of the block, or commit code
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value"); // value read or echoed

    QTest::newRow("read 470") << int(ParamRead) << Hex("00 03 02 01 D6 05 8A") << 0 << true << 470;
    QTest::newRow("read FF FF") << int(ParamRead) << Hex("00 03 02 FF FF 84 34") << 0 << true << 65535;
    QTest::newRow("read, address and function not compared") << int(ParamRead) << Crc("11 10 02 12 34") << 0 << true << 0x1234;
    QTest::newRow("read, byte count 4") << int(ParamRead) << Crc("00 03 04 00 01") << 0 << false << 1;
    QTest::newRow("read, bad crc") << int(ParamRead) << Hex("00 03 02 00 01 44 45") << 0 << false << 1;
    QTest::newRow("read, one byte more") << int(ParamRead) << Crc("00 03 02 00 01 00") << 0 << false << 1;
    QTest::newRow("read, exception") << int(ParamRead) << Crc("00 83 02") << 0 << false << NotExamined;

    QTest::newRow("write echo 433") << int(ParamWrite) << Crc("00 06 9D 6E 01 B1") << 0 << true << 433;
    QTest::newRow("write, function, register and value not compared") << int(ParamWrite) << Crc("00 03 9D 6F 01 B2")
                                                                       << 0 << true << 434;
    QTest::newRow("write, bad crc") << int(ParamWrite) << Hex("00 06 9C 43 00 01 96 5E") << 0 << false << 1;
    QTest::newRow("write, seven bytes") << int(ParamWrite) << Crc("00 06 9C 43 00") << 0 << false << NotExamined;
    QTest::newRow("write, exception") << int(ParamWrite) << Crc("00 86 02") << 0 << false << NotExamined;

    QTest::newRow("commit 6") << int(Commit) << Hex("00 06 9C 41 00 06 76 5D") << 6 << true << 0;
    QTest::newRow("commit 8 where 6 was sent") << int(Commit) << Hex("00 06 9C 41 00 08 F7 99") << 6 << false << 0;
    QTest::newRow("commit 0x0106") << int(Commit) << Crc("00 06 9C 41 01 06") << 6 << false << 0;
    QTest::newRow("commit, bad crc") << int(Commit) << Hex("00 06 9C 41 00 06 76 5C") << 6 << false << 0;
    QTest::newRow("commit, nine bytes") << int(Commit) << Crc("00 06 9C 41 00 08 00") << 8 << false << 0;

    QByteArray Full = Hex("00 03 64") + QByteArray(100, '\x11');
    QTest::newRow("eid read 25") << int(EidRead) << Expected::WithCrc(Full) << 25 << true << 0;
    QTest::newRow("eid read, count 24") << int(EidRead) << Expected::WithCrc(Full) << 24 << false << 0;
    QTest::newRow("eid read, byte count 0x60") << int(EidRead) << Crc("00 03 60 00 00 00 01") << 25 << false << 0;
    QTest::newRow("eid read, bad crc") << int(EidRead) << Hex("00 03 04 FF FF FF FF 00 00") << 1 << false << 0;
    QTest::newRow("eid read, crc of nothing") << int(EidRead) << Hex("FF FF") << 1 << false << 0;
    QTest::newRow("eid read, count 26") << int(EidRead) << Crc("00 03 68") << 26 << false << 0;

    QTest::newRow("eid write 25") << int(EidWrite) << Crc("00 10 B7 99 00 32") << 25 << true << 0;
    QTest::newRow("eid write, function 0x90") << int(EidWrite) << Crc("00 90 B7 99 00 32") << 25 << false << 0;
    QTest::newRow("eid write, register count 0x31") << int(EidWrite) << Crc("00 10 B7 99 00 31") << 25 << false << 0;
    QTest::newRow("eid write, bad crc") << int(EidWrite) << Hex("00 10 B7 99 00 32 00 00") << 25 << false << 0;
    QTest::newRow("eid write, five bytes") << int(EidWrite) << Crc("00 10 00") << 1 << false << 0;
    QTest::newRow("eid write, count 0") << int(EidWrite) << Crc("00 10 B7 99 00 00") << 0 << false << 0;
}

void tst_frames::replies()
{
    QFETCH(int, test);
    QFETCH(QByteArray, reply);
    QFETCH(int, count);
    QFETCH(bool, ok);
    QFETCH(int, value);
    // At 0x00, the window's tests.
    QCOMPARE(!ReplyCheck::Check(reply, Asked(test, count), DeviceAddress).Failed(), ok);
    if (value == NotExamined)
        return;
    if (test == ParamRead)
        QCOMPARE(int(ParamReadValue(reply)), value);
    if (test == ParamWrite)
        QCOMPARE(int(ParamWriteEchoValue(reply)), value);
}

// The first test a reply fails names the fault, in the words korvelctl
// prints; a device asked by its own address must answer as it.
void tst_frames::faults_data()
{
    QTest::addColumn<int>("test");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("address");
    QTest::addColumn<QString>("fault");
    const QString Exception02 = QStringLiteral("Modbus exception 0x02 (illegal data address)");
    QTest::newRow("silence") << int(ParamRead) << QByteArray() << 1 << 0 << "no reply within 1.5 s";
    QTest::newRow("read, exception") << int(ParamRead) << Crc("00 83 02") << 1 << 0 << Exception02;
    QTest::newRow("read, cut short") << int(ParamRead) << Crc("00 03 02 00") << 1 << 0 << "only 6 of 7 bytes within 1.5 s";
    QTest::newRow("read, a byte more") << int(ParamRead) << Crc("00 03 02 00 01 00") << 1 << 0 << "8 bytes instead of 7";
    QTest::newRow("read, bad crc") << int(ParamRead) << Hex("00 03 02 00 01 44 45") << 1 << 0 << "bad CRC";
    QTest::newRow("read, byte count 4") << int(ParamRead) << Crc("00 03 04 00 01") << 1 << 0 << "wrong count: byte count 4 instead of 2";
    QTest::newRow("read, from 18") << int(ParamRead) << Crc("12 03 02 00 01") << 1 << 17 << "reply from address 18 instead of 17";
    QTest::newRow("read, from 17") << int(ParamRead) << Crc("11 03 02 00 01") << 1 << 17 << "";
    QTest::newRow("read, any address to 0x00") << int(ParamRead) << Crc("12 03 02 00 01") << 1 << 0 << "";
    QTest::newRow("commit 8 where 6 was sent") << int(Commit) << Hex("00 06 9C 41 00 08 F7 99") << 6 << 0
                                               << "wrong echo: code 8 instead of 6";
    QTest::newRow("eid read, count 24") << int(EidRead) << Crc("00 03 60 00 00 00 01") << 25 << 0
                                        << "wrong count: byte count 96 instead of 100";
    QTest::newRow("eid read, crc of nothing") << int(EidRead) << Hex("FF FF") << 1 << 0 << "reply of 2 bytes refused";
    // One byte more reads the same for every reply, of fixed length or not.
    QTest::newRow("eid read, a byte more") << int(EidRead) << Crc("00 03 04 00 00 00 05") + '\xFF' << 1 << 0
                                           << "10 bytes instead of 9";
    QTest::newRow("eid write, a byte more") << int(EidWrite) << Crc("00 10 B7 99 00 32") + '\xFF' << 25 << 0
                                            << "9 bytes instead of 8";
    QTest::newRow("eid read, cut short") << int(EidRead) << Hex("00 03 04 FF FF") << 1 << 0 << "only 5 of 9 bytes within 1.5 s";
    QTest::newRow("eid read, exception") << int(EidRead) << Crc("00 83 02") << 25 << 0 << Exception02;
    QTest::newRow("eid write, function 0x90") << int(EidWrite) << Crc("00 90 B7 99 00 32") << 25 << 0
                                              << "wrong function: 0x90 instead of 0x10";
    QTest::newRow("eid write, 49 registers") << int(EidWrite) << Crc("00 10 B7 99 00 31") << 25 << 0
                                             << "wrong count: echo of 49 registers instead of 50";
    QTest::newRow("eid write, four bytes") << int(EidWrite) << Crc("00 10") << 1 << 0 << "reply of 4 bytes refused";
    QTest::newRow("eid write, exception") << int(EidWrite) << Crc("00 90 02") << 25 << 0 << Exception02;

    // At its own address a device answers the request itself: its function
    // (or that function's exception), a write's register and value, a whole
    // frame of the length asked; the address is read first.
    QTest::newRow("17: read, function 0x04") << int(ParamRead) << Crc("11 04 02 00 01") << 1 << 17
                                             << "wrong function: 0x04 instead of 0x03";
    QTest::newRow("17: read, exception") << int(ParamRead) << Crc("11 83 02") << 1 << 17 << Exception02;
    QTest::newRow("17: read, a write's exception") << int(ParamRead) << Crc("11 86 02") << 1 << 17
                                                   << "wrong function: 0x86 instead of 0x03";
    QTest::newRow("17: write") << int(ParamWrite) << Crc("11 06 9D 6E 01 B1") << 1 << 17 << "";
    QTest::newRow("17: write, echo 434") << int(ParamWrite) << Crc("11 06 9D 6E 01 B2") << 1 << 17
                                         << "sent 433, the device echoed 434; nothing committed";
    QTest::newRow("17: write, register 40303") << int(ParamWrite) << Crc("11 06 9D 6F 01 B1") << 1 << 17
                                               << "wrong echo: register 40303 instead of 40302";
    QTest::newRow("17: write, function 0x03") << int(ParamWrite) << Crc("11 03 9D 6E 01 B1") << 1 << 17
                                              << "wrong function: 0x03 instead of 0x06";
    QTest::newRow("17: commit, register 40002") << int(Commit) << Crc("11 06 9C 42 00 06") << 6 << 17
                                                << "wrong echo: register 40002 instead of 40001";
    QTest::newRow("17: eid read, function 0x04") << int(EidRead) << Crc("11 04 04 00 00 00 05") << 1 << 17
                                                 << "wrong function: 0x04 instead of 0x03";
    QTest::newRow("17: eid read, exception 0x04 for one EID") << int(EidRead) << Crc("11 83 04") << 1 << 17
                                                              << "Modbus exception 0x04 (server device failure)";
    QTest::newRow("17: eid read, data beyond its count") << int(EidRead) << Crc("11 03 04 00 00 00 05 00 00") << 1
                                                         << 17 << "11 bytes instead of 9";
    QTest::newRow("17: eid write, register 47051") << int(EidWrite) << Crc("11 10 B7 CB 00 32") << 25 << 17
                                                   << "wrong echo: register 47051 instead of 47001";
    QTest::newRow("17: exception from 18") << int(EidWrite) << Crc("12 90 02") << 25 << 17
                                           << "reply from address 18 instead of 17";
}

void tst_frames::faults()
{
    QFETCH(int, test);
    QFETCH(QByteArray, reply);
    QFETCH(int, count);
    QFETCH(int, address);
    QFETCH(QString, fault);
    ExchangeFault Found = ReplyCheck::Check(reply, Asked(test, count), quint8(address));
    Found.WaitMs = 1500;
    QCOMPARE(FaultText(Found), fault);
    QCOMPARE(Found.Failed(), !fault.isEmpty());
}

void tst_frames::eidValues()
{
    const QByteArray Two = Crc("00 03 08 FF FF FF FF 12 34 56 78");
    QCOMPARE(EidReadValue(Two, 0), -1);
    QCOMPARE(EidReadValue(Two, 1), 0x12345678);
    QCOMPARE(EidReadValue(Crc("00 03 04 80 00 00 00"), 0), INT_MIN);
    QCOMPARE(EidReadValue(Two, 3), 0);       // past the end
    QCOMPARE(EidReadValue(Two, -1), 0);
    QCOMPARE(EidReadValue(Hex("00 03 04 AB CD"), 0), qint32(0xABCD0000u));
    // The reply length a block read waits for: 4n + 5, held to 1..25 EIDs.
    const QList<int> Lengths{EidReadReplyLength(1), EidReadReplyLength(13), EidReadReplyLength(25),
                             EidReadReplyLength(0), EidReadReplyLength(26)};
    QCOMPARE(Lengths, (QList<int>{9, 57, 105, 9, 105}));
}

void tst_frames::documents()
{
    using namespace ConfigDocument;
    QJsonObject Request = NewRequest(KindParamSet);
    Request.insert(KeyParamArray, QJsonArray{MakeEntry("ModbusID", 40003, 17), 5});
    QCOMPARE(RequestHeader(Request, KindParamSet), HeaderTest::Passed);
    QCOMPARE(RequestHeader(Request, KindEidSet), HeaderTest::Kind);
    QCOMPARE(RequestHeader(QJsonObject(), KindParamSet), HeaderTest::NotEmpty);
    QCOMPARE(RequestHeader(NewReply(KindParamSet), KindParamSet), HeaderTest::Operate);
    QCOMPARE(RequestHeader(Doc(R"({"TabText":"paramset","operate":"Read"})"), KindParamSet), HeaderTest::Kind);
    QCOMPARE(ReplyHeader(NewReply(KindEidSet), KindEidSet), HeaderTest::Passed);
    QCOMPARE(ReplyHeader(NewReply(KindEidSet), KindParamSet), HeaderTest::Kind);
    QCOMPARE(ReplyHeader(Request, KindParamSet), HeaderTest::Operate);
    QJsonArray Entries;
    QVERIFY(RequestArray(Request, &Entries));
    QCOMPARE(Entries.size(), 2);
    QVERIFY(!RequestArray(Doc(R"({"ParamArray":{"0":{}}})"), &Entries));
    QCOMPARE(ReplyArray(Doc(R"({"ParamArray":"x"})")), QJsonArray());

    // Names and numbers of an entry; a number that is no whole int reads as 0.
    const QJsonObject Full = Entries.at(0).toObject();
    QCOMPARE(EntryName(Full) + QString::number(EntryRegister(Full)) + "=" + QString::number(EntryValue(Full)),
             QStringLiteral("ModbusID40003=17"));
    const QJsonObject Limits = Doc(R"({"RegisterAddr":2147483647,"ParamValue":-2147483648})");
    QCOMPARE(EntryRegister(Limits), INT_MAX);
    QCOMPARE(EntryValue(Limits), INT_MIN);
    for (const char *Odd : {R"({"RegisterAddr":"40003","ParamValue":"17"})", R"({"RegisterAddr":40003.5,"ParamValue":0.25})",
                            R"({"RegisterAddr":2147483648,"ParamValue":-1e300})", "{}"}) {
        QCOMPARE(EntryRegister(Doc(Odd)), 0);
        QCOMPARE(EntryValue(Doc(Odd)), 0);
    }
}

QTEST_GUILESS_MAIN(tst_frames)
#include "tst_frames.moc"
