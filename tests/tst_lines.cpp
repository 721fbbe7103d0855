// The lines apart from any real server: --port texts read into lines or
// refused; the Telnet codec; the MBAP codec; and korvelctl in-process
// against a scripted Modbus TCP gateway on the loopback, which answers
// each request as a row says (late, from another unit, with another
// protocol, a length that does not hold, the gateway's own exceptions).

#include "CtlRun.h"
#include "LineUrl.h"
#include "Mbap.h"
#include "ModbusRtu.h"
#include "ParamRegisters.h"
#include "Rfc2217.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

QByteArray Bytes(std::initializer_list<int> List)
{
    QByteArray Out;
    for (const int B : List)
        Out += char(B);
    return Out;
}

QByteArray Word(int Value)
{
    return Bytes({(Value >> 8) & 0xFF, Value & 0xFF});
}

// An MBAP frame: transaction, protocol, the length of unit and PDU, unit, PDU.
QByteArray Frame(int Transaction, int Unit, const QByteArray &Pdu, int Protocol = 0, int Length = -1)
{
    return Word(Transaction) + Word(Protocol) + Word(Length < 0 ? Pdu.size() + 1 : Length) + char(Unit) + Pdu;
}

// A gateway that answers each request with what Answer makes of it: the
// request's transaction, unit and PDU in, bytes out.
class ScriptedGateway : public QObject
{
public:
    using Script = std::function<QByteArray(int Transaction, int Unit, const QByteArray &Pdu)>;

    explicit ScriptedGateway(Script Answer) : Answer(std::move(Answer))
    {
        Server.listen(QHostAddress::LocalHost, 0);
        connect(&Server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *Client = Server.nextPendingConnection();
            connect(Client, &QTcpSocket::readyRead, this, [this, Client] {
                Pending += Client->readAll();
                while (Pending.size() >= Mbap::HeaderLength) {
                    const int Size = Mbap::HeaderLength - 1 + (quint8(Pending[4]) << 8 | quint8(Pending[5]));
                    if (Pending.size() < Size)
                        break;
                    const QByteArray Request = Pending.left(Size);
                    Pending.remove(0, Size);
                    Requests << Request;
                    Client->write(this->Answer(quint8(Request[0]) << 8 | quint8(Request[1]), quint8(Request[6]),
                                               Request.mid(Mbap::HeaderLength)));
                }
            });
        });
    }
    QString Url() const { return QStringLiteral("modbus-tcp://127.0.0.1:%1").arg(Server.serverPort()); }

    QTcpServer Server;
    Script Answer;
    QByteArray Pending;
    QList<QByteArray> Requests;
};

constexpr int RfSf = 40304;

// A device's reply to a read of one register holding Value.
QByteArray ReadReply(int Value)
{
    return Bytes({ModbusRtu::FuncReadHolding, 2}) + Word(Value);
}

} // namespace

class TestLines : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(Dir.isValid()); }
    void urls_data();
    void urls();
    void mbapCodec();
    void telnetCodec();
    void refusedBeforeConnecting_data();
    void refusedBeforeConnecting();
    void gateway_data();
    void gateway();
    void gatewayScan();

private:
    QTemporaryDir Dir;
};

void TestLines::urls_data()
{
    QTest::addColumn<QString>("Text");
    QTest::addColumn<QString>("Read"); // "KIND HOST PORT BAUD", or a part of the refusal
    QTest::newRow("serial name") << "ttyUSB0" << "serial  0 0";
    QTest::newRow("raw") << "tcp://127.0.0.1:4001" << "tcp 127.0.0.1 4001 0";
    QTest::newRow("raw, its speed") << "tcp://[::1]:4001?baud=19200" << "tcp ::1 4001 19200";
    QTest::newRow("rfc2217") << "rfc2217://gw.example:2217" << "rfc2217 gw.example 2217 0";
    QTest::newRow("gateway, port 502") << "modbus-tcp://gw.example" << "modbus-tcp gw.example 502 0";
    QTest::newRow("gateway, its port, upper case") << "MODBUS-TCP://[::1]:1502" << "modbus-tcp ::1 1502 0";

    QTest::newRow("no port") << "tcp://127.0.0.1" << "no port number";
    QTest::newRow("empty port") << "rfc2217://[::1]:" << "no port number";
    QTest::newRow("port 0") << "modbus-tcp://gw:0" << "the port must be a number from 1 to 65535";
    QTest::newRow("port 65536") << "tcp://gw:65536" << "the port must be a number from 1 to 65535";
    QTest::newRow("scheme") << "telnet://gw:23" << "unknown scheme 'telnet'";
    QTest::newRow("no host") << "modbus-tcp://:502" << "no host";
    QTest::newRow("bare IPv6") << "tcp://::1:4001" << "--port 'tcp://::1:4001': ";
    QTest::newRow("bad IPv6") << "tcp://[fe80::zz]:4001" << "--port 'tcp://[fe80::zz]:4001': ";
    QTest::newRow("bad host") << "tcp://gw_1:4001" << "'gw_1' is no host name or address";
    QTest::newRow("escaped host") << "tcp://gw%2Eexample:4001" << "not a URL (Invalid hostname";
    QTest::newRow("path") << "tcp://gw:4001/x" << "a line takes no user, path or fragment";
    QTest::newRow("user") << "modbus-tcp://admin@gw" << "a line takes no user, path or fragment";
    QTest::newRow("speed not one of six") << "tcp://gw:4001?baud=1200" << "'baud=1200' is not baud=N";
    QTest::newRow("speed twice") << "tcp://gw:4001?baud=9600&baud=19200" << "tcp:// takes baud=N once";
    QTest::newRow("unknown key") << "tcp://gw:4001?speed=9600" << "'speed' is no query of this line";
    QTest::newRow("query on rfc2217") << "rfc2217://gw:4001?baud=9600" << "rfc2217:// takes none";
    QTest::newRow("unit as a query") << "modbus-tcp://gw?unit=300" << "modbus-tcp:// takes none";
}

void TestLines::urls()
{
    QFETCH(QString, Text);
    QFETCH(QString, Read);
    LineUrl Line;
    QString Error;
    if (!ParseLineUrl(Text, &Line, &Error)) {
        QVERIFY2(Error.contains(Read) && Error.startsWith(QStringLiteral("--port '%1': ").arg(Text)),
                 qPrintable(Error));
        return;
    }
    const char *const Kinds[] = {"serial", "tcp", "rfc2217", "modbus-tcp"};
    QCOMPARE(QStringLiteral("%1 %2 %3 %4")
                 .arg(QLatin1String(Kinds[int(Line.Type)]), Line.Host)
                 .arg(Line.TcpPort)
                 .arg(Line.Baud),
             Read);
}

void TestLines::mbapCodec()
{
    // A request to unit 17: its CRC left out, the address as unit.
    const QByteArray Request = ModbusRtu::BuildParamRead(RfSf, 17);
    QCOMPARE(Mbap::Wrap(Request, 0x1234), Word(0x1234) + Word(0) + Word(6) + Request.left(6));

    // The reply to transaction 7 from unit 17, in one-byte pieces after a
    // late reply to transaction 6: the RTU form with its CRC.
    Mbap::Decoder D;
    D.Expect(7, 17);
    QByteArray Rtu;
    for (const char C : Frame(6, 17, ReadReply(1)) + Frame(7, 17, ReadReply(9)))
        Rtu += D.Feed(QByteArray(1, C));
    QByteArray Expected = Bytes({17}) + ReadReply(9);
    ModbusRtu::AppendCrc(Expected);
    QCOMPARE(Rtu, Expected);
    QVERIFY(D.Done());
    QCOMPARE(D.Dropped(), 1);
    QCOMPARE(D.LastDroppedTransaction(), quint16(6));
    // Whatever comes after the reply belongs to no request.
    QCOMPARE(D.Feed(Frame(7, 17, ReadReply(3))), QByteArray());

    struct Row
    {
        const char *Name;
        QByteArray In;
        QString Refused;
    };
    const Row Rows[] = {
        {"protocol 1", Frame(7, 17, ReadReply(1), 1), "a Modbus TCP reply with protocol identifier 1, not 0"},
        {"unit 18", Frame(7, 18, ReadReply(1)), "a Modbus TCP reply from unit 18 instead of 17"},
        {"length 1", Frame(7, 17, ReadReply(1), 0, 1), "a Modbus TCP header giving a length of 1, not 2 to 254"},
        {"length 255", Frame(7, 17, ReadReply(1), 0, 255), "a Modbus TCP header giving a length of 255, not 2 to 254"},
    };
    for (const Row &Each : Rows) {
        D.Expect(7, 17);
        QCOMPARE(D.Feed(Each.In), QByteArray());
        QVERIFY2(D.Done() && D.Refused() == Each.Refused, Each.Name);
    }
    // A header that promises more than arrives waits, and says how much.
    D.Expect(7, 17);
    QCOMPARE(D.Feed(Frame(7, 17, ReadReply(1), 0, 9)), QByteArray());
    QVERIFY(!D.Done());
    QCOMPARE(D.Pending(), 11);
    QCOMPARE(D.Promised(), 15);
    // Endless late replies keep no more than one frame.
    D.Expect(9, 17);
    for (int I = 0; I < 10000; ++I)
        D.Feed(Frame(I % 9, 17, ReadReply(I)));
    QVERIFY(!D.Done());
    QVERIFY(D.Pending() < Mbap::HeaderLength + Mbap::MaxLength);
}

void TestLines::telnetCodec()
{
    using namespace Rfc2217;
    QCOMPARE(Escape(Bytes({1, 0xFF, 2, 0xFF, 0xFF})), Bytes({1, 0xFF, 0xFF, 2, 0xFF, 0xFF, 0xFF, 0xFF}));
    QCOMPARE(SpeedCommand(19200), Bytes({Iac, Sb, ComPortOption, SetBaudRate, 0, 0, 0x4B, 0, Iac, Se}));
    // A speed whose bytes hold 0xFF is doubled inside the subnegotiation.
    QCOMPARE(SpeedCommand(0xFF), Bytes({Iac, Sb, ComPortOption, SetBaudRate, 0, 0, 0, 0xFF, 0xFF, Iac, Se}));

    // ser2net's greeting, the reply to 19200, data with a doubled 0xFF, all
    // cut into one-byte pieces.
    const QByteArray Server = Bytes({Iac, Will, SuppressGoAhead, Iac, Will, 1 /* echo */, Iac, Do, Binary, Iac, Do,
                                     ComPortOption, Iac, Sb, ComPortOption, 101, 0, 0, 0x4B, 0, Iac, Se, 0x11, Iac,
                                     Iac, 0x22, Iac, 241 /* NOP */, 0x33});
    Decoder D;
    QByteArray Data;
    for (const char C : Server)
        Data += D.Feed(QByteArray(1, C));
    QCOMPARE(Data, Bytes({0x11, 0xFF, 0x22, 0x33}));
    QVERIFY(D.Accepted());
    QVERIFY(!D.Refused());
    QCOMPARE(D.SpeedReplies(), 1);
    QCOMPARE(D.LastSpeed(), quint32(19200));
    // Echo is refused; the options the client asked for need no answer.
    QCOMPARE(D.TakeAnswers(), Bytes({Iac, Dont, 1}));
    QCOMPARE(D.TakeAnswers(), QByteArray());
    // Asked again after it was on: the option turned off is answered.
    D.Feed(Bytes({Iac, Dont, Binary, Iac, Wont, ComPortOption}));
    QCOMPARE(D.TakeAnswers(), Bytes({Iac, Wont, Binary}));
    QVERIFY(D.Refused());
}

void TestLines::refusedBeforeConnecting_data()
{
    QTest::addColumn<QStringList>("Arguments");
    QTest::addColumn<QString>("Why");
    const auto Read = [](const char *Port) { return QStringList {"read", "params", "--port", Port}; };
    QTest::newRow("a bad URL") << Read("tcp://gw:4001/x") << "a line takes no user, path or fragment";
    QTest::newRow("baud on raw") << (Read("tcp://gw:4001") << "--baud" << "9600") << "server's own setting";
    QTest::newRow("probe on raw") << QStringList {"probe", "--port", "tcp://gw:4001"} << "cannot change the speed";
    QTest::newRow("baud on a gateway") << (Read("modbus-tcp://gw") << "--baud" << "9600")
                                       << "--baud cannot be used with modbus-tcp://";
    QTest::newRow("probe on a gateway") << QStringList {"probe", "--port", "modbus-tcp://gw"}
                                        << "probe cannot run through a Modbus TCP gateway";
}

// Refused before any connection: none of these hosts is contacted.
void TestLines::refusedBeforeConnecting()
{
    QFETCH(QStringList, Arguments);
    QFETCH(QString, Why);
    const Result R = Ctl(Arguments);
    QCOMPARE(R.Code, 2);
    QVERIFY2(R.Err.contains(Why), qPrintable(R.Err));
}

// Each row: how the gateway answers the first request (a read of RfSf at
// unit 17); the exit status and a part of the message.
void TestLines::gateway_data()
{
    QTest::addColumn<int>("Answer");
    QTest::addColumn<int>("Code");
    QTest::addColumn<QString>("Said"); // stderr part; or the value read

    enum { Fits, Late, LateOnly, Protocol, Unit, ShortLength, LongLength, ShortPdu, NoPath, Silent };
    QTest::newRow("the reply") << int(Fits) << 0 << "\"RfSf\": 9";
    QTest::newRow("a late reply first") << int(Late) << 0 << "\"RfSf\": 9";
    QTest::newRow("a late reply alone") << int(LateOnly) << 1 << "reading RfSf (register 40304): no reply within 0.2 s";
    QTest::newRow("protocol 1") << int(Protocol) << 1
                                << "reading RfSf (register 40304): a Modbus TCP reply with protocol identifier 1, not 0";
    QTest::newRow("another unit") << int(Unit) << 1 << "a Modbus TCP reply from unit 5 instead of 17";
    QTest::newRow("length 1") << int(ShortLength) << 1 << "a Modbus TCP header giving a length of 1, not 2 to 254";
    QTest::newRow("a length more than arrives") << int(LongLength) << 1
                                                << "the gateway's frame holds 11 of the 15 bytes its header gives";
    QTest::newRow("a whole frame of a short PDU") << int(ShortPdu) << 1 << "only 6 of 7 bytes";
    QTest::newRow("no path") << int(NoPath) << 1
                             << "reading RfSf (register 40304): Modbus exception 0x0A (the gateway has no path to that unit)";
    QTest::newRow("the unit silent") << int(Silent) << 1
                                     << "Modbus exception 0x0B (the gateway's target did not answer)";
}

void TestLines::gateway()
{
    QFETCH(int, Answer);
    QFETCH(int, Code);
    QFETCH(QString, Said);
    ScriptedGateway Gateway([Answer](int Transaction, int Unit, const QByteArray &Pdu) {
        const QByteArray Fit = Frame(Transaction, Unit, ReadReply(9));
        if (Transaction > 1 || Pdu.at(0) != ModbusRtu::FuncReadHolding)
            return Fit;
        switch (Answer) {
        case 1: return Frame(Transaction + 100, Unit, ReadReply(1)) + Fit;
        case 2: return Frame(Transaction + 100, Unit, ReadReply(1));
        case 3: return Frame(Transaction, Unit, ReadReply(9), 1);
        case 4: return Frame(Transaction, 5, ReadReply(9));
        case 5: return Frame(Transaction, Unit, ReadReply(9), 0, 1);
        case 6: return Frame(Transaction, Unit, ReadReply(9), 0, 9);
        case 7: return Frame(Transaction, Unit, ReadReply(9).left(3));
        case 8: return Frame(Transaction, Unit, Bytes({0x83, ModbusRtu::ExceptionGatewayNoPath}));
        case 9: return Frame(Transaction, Unit, Bytes({0x83, ModbusRtu::ExceptionGatewayNoAnswer}));
        default: return Fit;
        }
    });
    const QString File = Dir.filePath(QStringLiteral("sf.json"));
    QFile Wanted(File);
    QVERIFY(Wanted.open(QIODevice::WriteOnly));
    Wanted.write("{\"RfSf\": 9}");
    Wanted.close();
    const Result R = Ctl({"diff", "params", "--port", Gateway.Url(), "--address", "17", "--wait", "200", "-i", File,
                          "--json"});
    QCOMPARE(R.Code, Code);
    if (Code)
        QVERIFY2(R.Err.contains(Said) && R.Err.count(QLatin1Char('\n')) == 1, qPrintable(R.Err));
    else
        QVERIFY2(R.Out.contains(QStringLiteral("\"differences\": [\n    ]")), qPrintable(R.Out));
    // The request as a gateway takes it: transaction 1, unit 17, no CRC.
    QCOMPARE(Gateway.Requests.value(0), Mbap::Wrap(ModbusRtu::BuildParamRead(RfSf, 17), 1));
}

// A gateway answers 0x0B for units silent on its bus: no device there,
// found as quickly as its answer comes, not a fault on the bus.
void TestLines::gatewayScan()
{
    ScriptedGateway Gateway([](int Transaction, int Unit, const QByteArray &) {
        if (Unit == 3)
            return Frame(Transaction, Unit, ReadReply(3));
        return Frame(Transaction, Unit, Bytes({0x83, ModbusRtu::ExceptionGatewayNoAnswer}));
    });
    QElapsedTimer Clock;
    Clock.start();
    const Result R = Ctl({"scan", "--port", Gateway.Url(), "--from", "1", "--to", "40", "--wait", "1500"});
    QCOMPARE(R.Code, 0);
    QCOMPARE(R.Out, QStringLiteral("3: ModbusID 3\n"));
    QCOMPARE(R.Err, QString());
    QCOMPARE(Gateway.Requests.size(), 40);
    QVERIFY2(Clock.elapsed() < 1500, qPrintable(QString::number(Clock.elapsed())));
}

QTEST_GUILESS_MAIN(TestLines)
#include "tst_lines.moc"
