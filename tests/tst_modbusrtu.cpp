#include <QtTest>

#include <climits>
#include <random>

#include "ModbusRtu.h"

using namespace ModbusRtu;

namespace {

QByteArray Hex(const char *Text)
{
    return QByteArray::fromHex(QByteArray(Text).replace(' ', ""));
}

// A reply with its CRC; the CRC itself is pinned by the known answers.
QByteArray WithCrc(const char *Text)
{
    QByteArray Frame = Hex(Text);
    AppendCrc(Frame);
    return Frame;
}

// The 25 values of the full block in the known answer below.
QVector<qint32> FullBlockValues()
{
    QVector<qint32> Values{ -1, 0, INT_MIN, INT_MAX };
    for (int m = 4; m < EidsPerBlock; ++m)
        Values.append(0x01020304 * m);
    return Values;
}

const char *const FullBlockWrite =
    "0010B799003264"
    "FFFFFFFF00000000800000007FFFFFFF04080C10050A0F14060C1218070E151C"
    "0810182009121B240A141E280B16212C0C1824300D1A27340E1C2A380F1E2D3C"
    "1020304011223344122436481326394C14283C50152A3F54162C4258172E455C"
    "18304860"
    "7193";

// Value columns: a refused reply whose value bytes are its CRC.
const int NotExamined = -1;

const int Counts[] = { INT_MIN, -1, 0, 1, 2, 24, 25, 26, 64, INT_MAX };
const int Indexes[] = { INT_MIN, -1, 0, 1, 24, 25, 26, 749, 750, INT_MAX };

} // namespace

class tst_modbusrtu : public QObject
{
    Q_OBJECT

private slots:
    void crc_data();
    void crc();
    void appendedCrcLeavesNoResidue_data();
    void appendedCrcLeavesNoResidue();
    void changedByteFailsResidue_data();
    void changedByteFailsResidue();

    void requests_data();
    void requests();
    void eidWriteBlockOpensWithZeroCounts();
    void openingEmptiesTheFrame();
    void fullEidWriteBlock();

    void replyLengths_data();
    void replyLengths();

    void paramReadReply_data();
    void paramReadReply();
    void paramWriteReply_data();
    void paramWriteReply();
    void commitReply_data();
    void commitReply();
    void eidReadReply_data();
    void eidReadReply();
    void eidReadValue_data();
    void eidReadValue();
    void eidWriteReply_data();
    void eidWriteReply();

    void anyBufferIsSafe();
};

void tst_modbusrtu::crc_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("crc");    // CRC-16/MODBUS as usually written
    QTest::addColumn<int>("result"); // what ModbusCrc16 returns: bytes exchanged

    QTest::newRow("check string") << QByteArray("123456789") << 0x4B37 << 0x374B;
    QTest::newRow("empty") << QByteArray() << 0xFFFF << 0xFFFF;
    QTest::newRow("param commit head") << Hex("00 06 9C 41 00 06") << 0x5D76 << 0x765D;
    QTest::newRow("eid commit head") << Hex("00 06 9C 41 00 08") << 0x99F7 << 0xF799;
    QTest::newRow("read 40003 head") << Hex("00 03 9C 43 00 01") << 0x5F5A << 0x5A5F;
}

void tst_modbusrtu::crc()
{
    QFETCH(QByteArray, data);
    QFETCH(int, crc);
    QFETCH(int, result);
    QCOMPARE(int(ModbusCrc16(data)), result);
    QCOMPARE(((result & 0xFF) << 8) | (result >> 8), crc);
}

void tst_modbusrtu::appendedCrcLeavesNoResidue_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("one byte") << Hex("A5");
    QTest::newRow("check string") << QByteArray("123456789");
    QTest::newRow("block header") << Hex("00 10 B7 99 00 32 64");
}

void tst_modbusrtu::appendedCrcLeavesNoResidue()
{
    QFETCH(QByteArray, data);
    const quint16 Value = ModbusCrc16(data);
    QByteArray Frame = data;
    Frame.append(char(Value >> 8)).append(char(Value & 0xFF));
    QVERIFY(CrcResidueOk(Frame));
    QByteArray Appended = data;
    AppendCrc(Appended);
    QCOMPARE(Appended, Frame);
}

void tst_modbusrtu::changedByteFailsResidue_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("mask");
    for (int Pos = 0; Pos < 8; ++Pos)
        for (int Mask : { 0x01, 0x80, 0xFF, 0x5A })
            QTest::addRow("byte %d ^ %02X", Pos, Mask) << Pos << Mask;
}

void tst_modbusrtu::changedByteFailsResidue()
{
    QFETCH(int, position);
    QFETCH(int, mask);
    QByteArray Frame = Hex("00 06 9C 41 00 06 76 5D");
    QVERIFY(CrcResidueOk(Frame));
    Frame[position] = char(Frame.at(position) ^ mask);
    QVERIFY(!CrcResidueOk(Frame));
}

void tst_modbusrtu::requests_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("read 40003") << BuildParamRead(40003) << Hex("00 03 9C 43 00 01 5A 5F");
    QTest::newRow("read 40302") << BuildParamRead(40302) << Hex("00 03 9D 6E 00 01 CB AA");
    QTest::newRow("read 40310") << BuildParamRead(40310) << Hex("00 03 9D 76 00 01 4B AD");
    QTest::newRow("read cut to 16 bits") << BuildParamRead(0x10000 + 40003)
                                         << Hex("00 03 9C 43 00 01 5A 5F");
    QTest::newRow("write 1 to 40003") << BuildParamWrite(40003, 1) << Hex("00 06 9C 43 00 01 96 5F");
    QTest::newRow("write -1 to 40003") << BuildParamWrite(40003, -1) << Hex("00 06 9C 43 FF FF 56 2F");
    QTest::newRow("write cut to 16 bits") << BuildParamWrite(40003, 0x10001)
                                          << Hex("00 06 9C 43 00 01 96 5F");
    QTest::newRow("commit 6") << BuildCommit(CommitParamCode) << Hex("00 06 9C 41 00 06 76 5D");
    QTest::newRow("commit 8") << BuildCommit(CommitEidCode) << Hex("00 06 9C 41 00 08 F7 99");

    QByteArray Block;
    OpenEidBlockRead(Block, 47001);
    CloseEidBlockRead(Block, 25);
    QTest::newRow("eid read 25 at 47001") << Block << Hex("00 03 B7 99 00 32 32 55");

    QByteArray Single;
    OpenEidBlockRead(Single, 47051);
    CloseEidBlockRead(Single, 1);
    QTest::newRow("eid read 1 at 47051") << Single << WithCrc("00 03 B7 CB 00 02");

    QByteArray OneWrite;
    OpenEidBlockWrite(OneWrite, 47051);
    AppendEidValue(OneWrite, -1);
    CloseEidBlockWrite(OneWrite, 1);
    QTest::newRow("eid write 1 at 47051") << OneWrite << WithCrc("00 10 B7 CB 00 02 04 FF FF FF FF");
}

void tst_modbusrtu::requests()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, expected);
    QCOMPARE(frame.toHex(' '), expected.toHex(' '));
}

void tst_modbusrtu::eidWriteBlockOpensWithZeroCounts()
{
    QByteArray Frame;
    OpenEidBlockWrite(Frame, 47001);
    QCOMPARE(Frame.toHex(' '), Hex("00 10 B7 99 00 00 00").toHex(' '));
    AppendEidValue(Frame, 0x12345678);
    QCOMPARE(Frame.toHex(' '), Hex("00 10 B7 99 00 00 00 12 34 56 78").toHex(' '));
    CloseEidBlockWrite(Frame, 1);
    QCOMPARE(Frame.toHex(' '), WithCrc("00 10 B7 99 00 02 04 12 34 56 78").toHex(' '));
}

void tst_modbusrtu::openingEmptiesTheFrame()
{
    QByteArray Frame = Hex("DE AD BE EF DE AD BE EF DE AD");
    OpenEidBlockRead(Frame, 47001);
    CloseEidBlockRead(Frame, 25);
    QCOMPARE(Frame.toHex(' '), Hex("00 03 B7 99 00 32 32 55").toHex(' '));

    Frame = Hex("DE AD BE EF DE AD BE EF DE AD");
    OpenEidBlockWrite(Frame, 47001);
    QCOMPARE(Frame.toHex(' '), Hex("00 10 B7 99 00 00 00").toHex(' '));
}

void tst_modbusrtu::fullEidWriteBlock()
{
    QByteArray Frame;
    OpenEidBlockWrite(Frame, 47001);
    const QVector<qint32> Values = FullBlockValues();
    for (qint32 Value : Values)
        AppendEidValue(Frame, Value);
    CloseEidBlockWrite(Frame, Values.size());
    QCOMPARE(Frame.size(), 109);
    QCOMPARE(Frame.toHex(), QByteArray(FullBlockWrite).toLower());
}

void tst_modbusrtu::replyLengths_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("expected");
    QTest::newRow("param read") << int(ParamReadReplyLength) << 7;
    QTest::newRow("param write") << int(ParamWriteReplyLength) << 8;
    QTest::newRow("commit") << int(CommitReplyLength) << 8;
    QTest::newRow("eid write") << int(EidWriteReplyLength) << 8;
    QTest::newRow("eid read 1") << int(EidReadReplyLength(1)) << 9;
    QTest::newRow("eid read 13") << int(EidReadReplyLength(13)) << 57;
    QTest::newRow("eid read 25") << int(EidReadReplyLength(25)) << 105;
    // No block outside 1..25 exists; such a count is held to that range.
    QTest::newRow("eid read 0") << int(EidReadReplyLength(0)) << 9;
    QTest::newRow("eid read -5") << int(EidReadReplyLength(-5)) << 9;
    QTest::newRow("eid read 26") << int(EidReadReplyLength(26)) << 105;
    QTest::newRow("eid read INT_MAX") << int(EidReadReplyLength(INT_MAX)) << 105;
}

void tst_modbusrtu::replyLengths()
{
    QFETCH(int, length);
    QFETCH(int, expected);
    QCOMPARE(length, expected);
}

void tst_modbusrtu::paramReadReply_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");

    QTest::newRow("value 1") << Hex("00 03 02 00 01 44 44") << true << 1;
    QTest::newRow("value 470") << Hex("00 03 02 01 D6 05 8A") << true << 470;
    QTest::newRow("FF FF is 65535") << Hex("00 03 02 FF FF 84 34") << true << 65535;
    QTest::newRow("other address and function") << WithCrc("11 10 02 12 34") << true << 0x1234;
    QTest::newRow("byte count 4") << WithCrc("00 03 04 00 01") << false << 1;
    QTest::newRow("byte count 0") << WithCrc("00 03 00 00 01") << false << 1;
    QTest::newRow("exception") << WithCrc("00 83 02") << false << NotExamined;
    QTest::newRow("bad crc") << Hex("00 03 02 00 01 44 45") << false << 1;
    QTest::newRow("empty") << QByteArray() << false << 0;
    QTest::newRow("one byte short") << Hex("00 03 02 00 01 44") << false << 1;
    QTest::newRow("one byte more") << WithCrc("00 03 02 00 01 00") << false << 1;
    QTest::newRow("good reply then a stray byte") << Hex("00 03 02 00 01 44 44 00") << false << 1;
}

void tst_modbusrtu::paramReadReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, ok);
    QFETCH(int, value);
    QCOMPARE(ParamReadReplyOk(reply), ok);
    if (value != NotExamined)
        QCOMPARE(int(ParamReadValue(reply)), value);
}

void tst_modbusrtu::paramWriteReply_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("echo");

    QTest::newRow("echo of 1") << Hex("00 06 9C 43 00 01 96 5F") << true << 1;
    QTest::newRow("echo of another value") << WithCrc("00 06 9D 6E 01 B1") << true << 433;
    QTest::newRow("echo of FF FF") << Hex("00 06 9C 43 FF FF 56 2F") << true << 65535;
    QTest::newRow("function and register not compared") << WithCrc("07 86 00 00 00 05") << true << 5;
    QTest::newRow("bad crc") << Hex("00 06 9C 43 00 01 96 5E") << false << 1;
    QTest::newRow("seven bytes") << WithCrc("00 06 9C 43 00") << false << NotExamined;
    QTest::newRow("nine bytes") << WithCrc("00 06 9C 43 00 01 00") << false << 1;
    QTest::newRow("empty") << QByteArray() << false << 0;
    QTest::newRow("four bytes") << Hex("00 06 9C 43") << false << 0;
    QTest::newRow("five bytes") << Hex("00 06 9C 43 12") << false << 0x1200;
}

void tst_modbusrtu::paramWriteReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, ok);
    QFETCH(int, echo);
    QCOMPARE(ParamWriteReplyOk(reply), ok);
    if (echo != NotExamined)
        QCOMPARE(int(ParamWriteEchoValue(reply)), echo);
}

void tst_modbusrtu::commitReply_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("ok");

    QTest::newRow("echo of 6") << Hex("00 06 9C 41 00 06 76 5D") << 6 << true;
    QTest::newRow("echo of 8") << Hex("00 06 9C 41 00 08 F7 99") << 8 << true;
    QTest::newRow("8 where 6 was sent") << Hex("00 06 9C 41 00 08 F7 99") << 6 << false;
    QTest::newRow("6 where 8 was sent") << Hex("00 06 9C 41 00 06 76 5D") << 8 << false;
    QTest::newRow("7 where 6 was sent") << WithCrc("00 06 9C 41 00 07") << 6 << false;
    QTest::newRow("0x0106 where 6 was sent") << WithCrc("00 06 9C 41 01 06") << 6 << false;
    QTest::newRow("function and register not compared") << WithCrc("05 86 12 34 00 08") << 8 << true;
    QTest::newRow("bad crc") << Hex("00 06 9C 41 00 06 76 5C") << 6 << false;
    QTest::newRow("seven bytes") << WithCrc("00 06 9C 41 00") << 8 << false;
    QTest::newRow("nine bytes") << WithCrc("00 06 9C 41 00 08 00") << 8 << false;
    QTest::newRow("empty") << QByteArray() << 6 << false;
}

void tst_modbusrtu::commitReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, code);
    QFETCH(bool, ok);
    QCOMPARE(CommitReplyOk(reply, quint16(code)), ok);
}

void tst_modbusrtu::eidReadReply_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("ok");

    QByteArray Full = Hex("00 03 64");
    Full.append(QByteArray(100, '\x11'));
    AppendCrc(Full);
    QTest::newRow("25 EIDs") << Full << 25 << true;
    QTest::newRow("25 EIDs, count 24") << Full << 24 << false;

    QByteArray Trailing = Hex("00 03 64");
    Trailing.append(QByteArray(101, '\x22'));
    AppendCrc(Trailing);
    QTest::newRow("longer than 4n + 5, crc over all") << Trailing << 25 << true;
    QTest::newRow("shorter than 4n + 5") << WithCrc("00 03 08 01 02 03 04") << 2 << true;

    QTest::newRow("one EID") << WithCrc("00 03 04 FF FF FF FF") << 1 << true;
    QTest::newRow("other address and function") << WithCrc("7F 04 04 00 00 00 01") << 1 << true;
    QTest::newRow("byte count 0x60 for 25") << WithCrc("00 03 60 00 00 00 01") << 25 << false;
    QTest::newRow("bad crc") << Hex("00 03 04 FF FF FF FF 00 00") << 1 << false;
    QTest::newRow("empty") << QByteArray() << 1 << false;
    // FF FF is the CRC of nothing, so these two bytes pass the residue test.
    QTest::newRow("two bytes with a good crc") << Hex("FF FF") << 1 << false;
    QTest::newRow("exception") << WithCrc("00 83 02") << 1 << false;
    QTest::newRow("count 0") << WithCrc("00 03 00") << 0 << false;
    QTest::newRow("count 26") << WithCrc("00 03 68") << 26 << false;
    QTest::newRow("count 64") << WithCrc("00 03 00") << 64 << false;
    QTest::newRow("count -1") << WithCrc("00 03 FC") << -1 << false;
    QTest::newRow("count INT_MAX") << WithCrc("00 03 FC") << INT_MAX << false;
    QTest::newRow("count INT_MIN") << WithCrc("00 03 00") << INT_MIN << false;
}

void tst_modbusrtu::eidReadReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, count);
    QFETCH(bool, ok);
    QCOMPARE(EidReadReplyOk(reply, count), ok);
}

void tst_modbusrtu::eidReadValue_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("value");

    const QByteArray Two = WithCrc("00 03 08 FF FF FF FF 12 34 56 78");
    QTest::newRow("FF FF FF FF is -1") << Two << 0 << -1;
    QTest::newRow("most significant first") << Two << 1 << 0x12345678;
    QTest::newRow("top bit set") << WithCrc("00 03 04 80 00 00 00") << 0 << INT_MIN;
    QTest::newRow("largest") << WithCrc("00 03 04 7F FF FF FF") << 0 << INT_MAX;
    QTest::newRow("past the end") << Two << 3 << 0;
    QTest::newRow("partly past the end") << Hex("00 03 04 AB CD") << 0 << int(0xABCD0000);
    QTest::newRow("into the crc") << Hex("00 03 04 01 02 03 04 A5 5A") << 1 << int(0xA55A0000);
    QTest::newRow("empty") << QByteArray() << 0 << 0;
    QTest::newRow("negative index") << Two << -1 << 0;
    QTest::newRow("INT_MIN index") << Two << INT_MIN << 0;
    QTest::newRow("INT_MAX index") << Two << INT_MAX << 0;

    QByteArray Full = Hex("00 03 64");
    const QVector<qint32> Values = FullBlockValues();
    for (qint32 Value : Values)
        AppendEidValue(Full, Value);
    AppendCrc(Full);
    for (int m = 0; m < Values.size(); ++m)
        QTest::addRow("block of 25, EID %d", m) << Full << m << int(Values.at(m));
}

void tst_modbusrtu::eidReadValue()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, index);
    QFETCH(int, value);
    QCOMPARE(int(EidReadValue(reply, index)), value);
}

void tst_modbusrtu::eidWriteReply_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("ok");

    QTest::newRow("25 EIDs") << WithCrc("00 10 B7 99 00 32") << 25 << true;
    QTest::newRow("1 EID") << WithCrc("00 10 B7 CB 00 02") << 1 << true;
    QTest::newRow("start register and address not compared") << WithCrc("09 10 00 00 00 32") << 25 << true;
    QTest::newRow("longer than 8") << WithCrc("00 10 B7 99 00 32 00") << 25 << true;
    QTest::newRow("exactly 6, count in its crc slot") << WithCrc("00 10 B7 99") << 1 << false;
    QTest::newRow("function 0x90") << WithCrc("00 90 B7 99 00 32") << 25 << false;
    QTest::newRow("register count 0x31") << WithCrc("00 10 B7 99 00 31") << 25 << false;
    QTest::newRow("register count for 24") << WithCrc("00 10 B7 99 00 30") << 25 << false;
    QTest::newRow("bad crc") << Hex("00 10 B7 99 00 32 00 00") << 25 << false;
    QTest::newRow("empty") << QByteArray() << 25 << false;
    QTest::newRow("two bytes with a good crc") << Hex("FF FF") << 25 << false;
    QTest::newRow("five bytes") << WithCrc("00 10 00") << 1 << false;
    QTest::newRow("count 0") << WithCrc("00 10 B7 99 00 00") << 0 << false;
    QTest::newRow("count 26") << WithCrc("00 10 B7 99 00 34") << 26 << false;
    QTest::newRow("count -1") << WithCrc("00 10 B7 99 FF FE") << -1 << false;
    QTest::newRow("count INT_MAX") << WithCrc("00 10 B7 99 FF FE") << INT_MAX << false;
    QTest::newRow("count INT_MIN") << WithCrc("00 10 B7 99 00 00") << INT_MIN << false;
}

void tst_modbusrtu::eidWriteReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, count);
    QFETCH(bool, ok);
    QCOMPARE(EidWriteReplyOk(reply, count), ok);
}

// Replies of any length and content: every test and decoder runs on them,
// half of them with a valid CRC so that the later tests are reached too.
// Built with KORVEL_SANITIZE this also catches any read past a buffer.
void tst_modbusrtu::anyBufferIsSafe()
{
    std::mt19937 Random(20240611u);
    std::uniform_int_distribution<int> Byte(0, 255);
    std::uniform_int_distribution<int> Length(0, 3000);

    int Accepted = 0;
    for (int Round = 0; Round < 600; ++Round) {
        int Size = Round < 120 ? Round : Length(Random);
        QByteArray Reply(Size, '\0');
        for (int i = 0; i < Size; ++i)
            Reply[i] = char(Byte(Random));
        if (Round % 2 == 1) {
            // Shape the head like a plausible reply, then make the CRC good.
            if (Reply.size() > 1)
                Reply[1] = char(Round % 4 == 1 ? FuncWriteMultiple : FuncReadHolding);
            if (Reply.size() > 2)
                Reply[2] = char(4 * (1 + Round % EidsPerBlock));
            Reply.chop(2);
            AppendCrc(Reply);
            QVERIFY(CrcResidueOk(Reply));
        }

        if (ParamReadReplyOk(Reply)) {
            QCOMPARE(Reply.size(), 7);
            QCOMPARE(quint8(Reply.at(2)), quint8(2));
        }
        QVERIFY(!ParamWriteReplyOk(Reply) || Reply.size() == 8);
        ParamReadValue(Reply);
        ParamWriteEchoValue(Reply);
        for (quint16 Code : { quint16(6), quint16(8), quint16(0), quint16(0xFFFF) })
            QVERIFY(!CommitReplyOk(Reply, Code) || Reply.size() == 8);

        for (int Count : Counts) {
            if (EidReadReplyOk(Reply, Count)) {
                ++Accepted;
                QVERIFY(Count >= 1 && Count <= EidsPerBlock);
                QVERIFY(CrcResidueOk(Reply));
                QCOMPARE(int(quint8(Reply.at(2))), 4 * Count);
            }
            if (EidWriteReplyOk(Reply, Count)) {
                ++Accepted;
                QVERIFY(Count >= 1 && Count <= EidsPerBlock);
                QCOMPARE(quint8(Reply.at(1)), FuncWriteMultiple);
            }
        }
        for (int Index : Indexes) {
            const qint64 Start = 3 + 4 * qint64(Index);
            const qint32 Value = EidReadValue(Reply, Index);
            if (Start < 0 || Start >= Reply.size())
                QCOMPARE(Value, 0);
        }
    }
    // The shaped replies must have reached the byte count tests.
    QVERIFY(Accepted > 0);
}

QTEST_GUILESS_MAIN(tst_modbusrtu)
#include "tst_modbusrtu.moc"
