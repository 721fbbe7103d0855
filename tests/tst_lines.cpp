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

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <thread>

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

// A device's reply to a read of one register holding Value.
QByteArray ReadReply(int Value)
{
    return Bytes({ModbusRtu::FuncReadHolding, 2}) + Word(Value);
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

// A Telnet server with COM port control as a row makes it: it agrees to
// the options (or refuses binary), confirms each setting (one of them
// changed, where asked), and answers data frames with a read reply, or
// withdraws COM port control at the first one.
class ScriptedTelnet : public QObject
{
public:
    enum Way { Agrees, RefusesBinary, SetsOtherSpeed, SetsOddParity, WithdrawsMidCommand };

    explicit ScriptedTelnet(Way How) : How(How)
    {
        using namespace Rfc2217;
        Server.listen(QHostAddress::LocalHost, 0);
        connect(&Server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *Client = Server.nextPendingConnection();
            connect(Client, &QTcpSocket::readyRead, this, [this, Client] {
                Heard += Client->readAll();
                const QByteArray WillCom = Bytes({Iac, Will, ComPortOption});
                if (!Agreed && Heard.contains(WillCom)) {
                    Agreed = true;
                    SettingsBeforeAgreement = Heard.contains(Bytes({Iac, Sb}));
                    Client->write(Bytes({Iac, Do, ComPortOption, Iac, Will, SuppressGoAhead, Iac, Do, SuppressGoAhead})
                                  + (this->How == RefusesBinary ? Bytes({Iac, Dont, Binary, Iac, Wont, Binary})
                                                                : Bytes({Iac, Do, Binary, Iac, Will, Binary})));
                }
                Answer(Client);
            });
        });
    }
    QString Url() const { return QStringLiteral("rfc2217://127.0.0.1:%1").arg(Server.serverPort()); }

    QTcpServer Server;
    Way How;
    QByteArray Heard;
    int Used = 0; // of Heard
    bool Agreed = false;
    bool SettingsBeforeAgreement = false;
    QList<int> Commands;

private:
    // Each COM port command confirmed, each frame answered, in order.
    void Answer(QTcpSocket *Client)
    {
        using namespace Rfc2217;
        const QByteArray Start = Bytes({Iac, Sb, ComPortOption});
        for (;;) {
            const int Sub = Heard.indexOf(Start, Used);
            const int End = Sub < 0 ? -1 : Heard.indexOf(Bytes({Iac, Se}), Sub);
            // A read request at 0x00 of a parameter (registers 0x9Cxx, 0x9Dxx).
            int Data = Heard.indexOf(Bytes({0, ModbusRtu::FuncReadHolding, 0x9C}), Used);
            const int Later = Heard.indexOf(Bytes({0, ModbusRtu::FuncReadHolding, 0x9D}), Used);
            Data = Data < 0 || (Later >= 0 && Later < Data) ? Later : Data;
            if (Sub >= 0 && End < 0)
                return; // a command not all here yet
            if (Sub >= 0 && (Data < 0 || Sub < Data)) {
                const quint8 Command = quint8(Heard[Sub + 3]);
                QByteArray Value = Heard.mid(Sub + 4, End - Sub - 4);
                if (Command == SetBaudRate && How == SetsOtherSpeed)
                    Value = SpeedValue(9600);
                if (Command == SetParity && How == SetsOddParity)
                    Value = QByteArray(1, 2);
                Commands << Command;
                Client->write(ComCommandBytes(quint8(ServerReply + Command), Value));
                Used = End + 2;
            } else if (Data > 0 && Heard.size() >= Data + 8) {
                Used = Data + 8;
                if (How == WithdrawsMidCommand) {
                    Client->write(Bytes({Iac, Wont, ComPortOption}));
                    return;
                }
                QByteArray Reply = Bytes({0}) + ReadReply(7);
                ModbusRtu::AppendCrc(Reply);
                Client->write(Escape(Reply));
            } else {
                return;
            }
        }
    }
};

constexpr int RfSf = 40304;


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
    void telnetServer_data();
    void telnetServer();
    void neverSilent();

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

void TestLines::telnetServer_data()
{
    QTest::addColumn<int>("How");
    QTest::addColumn<int>("Code");
    QTest::addColumn<QString>("Said"); // stderr, or stdout's value
    QTest::newRow("agrees") << int(ScriptedTelnet::Agrees) << 0 << "\"RfSf\": 7";
    QTest::newRow("refuses binary") << int(ScriptedTelnet::RefusesBinary) << 3
        << ": the server refuses 8-bit data (Telnet BINARY), which would change the frames' CR and 0xFF bytes";
    QTest::newRow("sets another speed") << int(ScriptedTelnet::SetsOtherSpeed) << 3
                                        << ": the server set 9600 Bd, not 19200 Bd";
    QTest::newRow("sets odd parity") << int(ScriptedTelnet::SetsOddParity) << 3
                                     << ": the server set parity 2 (odd), not parity 1 (none)";
    QTest::newRow("withdraws mid-command") << int(ScriptedTelnet::WithdrawsMidCommand) << 1
                                           << ": the server withdrew COM port control (RFC 2217)";
}

// RFC 2217 as the RFC has it: the settings only after the server's DO,
// each confirmed as asked, then a purge; binary both ways.
void TestLines::telnetServer()
{
    QFETCH(int, How);
    QFETCH(int, Code);
    QFETCH(QString, Said);
    ScriptedTelnet Server {ScriptedTelnet::Way(How)};
    const Result R = Ctl({"read", "params", "--port", Server.Url(), "--baud", "19200", "--wait", "200"});
    QVERIFY2(R.Code == Code, qPrintable(R.Err));
    QVERIFY2((Code ? R.Err : R.Out).contains(Said), qPrintable(R.Err + R.Out));
    QVERIFY(Server.Agreed);
    QVERIFY(!Server.SettingsBeforeAgreement);
    if (How == ScriptedTelnet::Agrees || How == ScriptedTelnet::WithdrawsMidCommand)
        QCOMPARE(Server.Commands, (QList<int> {1, 2, 3, 4, 5, 12})); // speed, size, parity, stop, control, purge
}

// A server that sends without pause, from a thread of its own so that its
// bytes keep coming whatever korvelctl does: no request can go out between
// them; korvelctl gives up after the wait, named, with memory bounded.
void TestLines::neverSilent()
{
    const int Listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in Address {};
    Address.sin_family = AF_INET;
    Address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t Size = sizeof Address;
    QVERIFY(::bind(Listener, reinterpret_cast<sockaddr *>(&Address), Size) == 0 && ::listen(Listener, 1) == 0);
    QVERIFY(::getsockname(Listener, reinterpret_cast<sockaddr *>(&Address), &Size) == 0);
    std::atomic<bool> Stop {false};
    std::thread Chatter([&] {
        const int Client = ::accept(Listener, nullptr, nullptr);
        // Blocks while the connection is full: bytes are there whenever
        // korvelctl looks.
        const QByteArray Noise(4096, '\x55');
        while (!Stop && ::send(Client, Noise.constData(), size_t(Noise.size()), MSG_NOSIGNAL) > 0) {
        }
        ::close(Client);
    });
    QElapsedTimer Clock;
    Clock.start();
    // At the slowest speed the silence korvelctl waits for is longest
    // (7.3 ms), so that a loaded machine pausing the sender is not taken
    // for a line that fell silent.
    const Result R = Ctl({"read", "params", "--port",
                          QStringLiteral("tcp://127.0.0.1:%1?baud=4800").arg(ntohs(Address.sin_port)), "--wait", "100"});
    const qint64 Ms = Clock.elapsed();
    Stop = true;
    Chatter.join();
    ::close(Listener);
    QVERIFY2(R.Code == 3, qPrintable(R.Err));
    QCOMPARE(R.Err, QStringLiteral("korvelctl: reading ModbusID (register 40003): the line did not fall silent within "
                                   "0.1 s: something on it sends without pause\n"));
    // Given up after the wait, not held for long: generous for a loaded machine.
    QVERIFY2(Ms < 1000, qPrintable(QString::number(Ms)));
}

QTEST_GUILESS_MAIN(TestLines)
#include "tst_lines.moc"
