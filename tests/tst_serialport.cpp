// MySerialPort against a real pseudo-terminal: open and close, the bounded
// send-and-wait, the receive buffer and its cap, a lost line. (Hex text:
// fuzz/fuzz_hex_text against its own reading of the rules.)

#include "Expected.h"
#include "MySerialPort.h"
#include "PtyPair.h"
#include "ScriptedPeer.h"
#include "TestPorts.h"

#include <QElapsedTimer>
#include <QtTest>

#include <ctime>

namespace {

QByteArray Hex(const char *Text)
{
    return QByteArray::fromHex(Text);
}

const QByteArray Request = Hex("00039C4300015A5F");
const QByteArray Reply = Hex("00030200014444");

double ProcessCpuSeconds()
{
    timespec Now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &Now);
    return double(Now.tv_sec) + double(Now.tv_nsec) / 1e9;
}

} // namespace

class tst_serialport : public QObject
{
    Q_OBJECT

private slots:
    void openAndClose();
    void sendAndWait_data();
    void sendAndWait();
    void closedPortWritesNothing();
    void floodIsCapped();
    void farEndHangUpStaysQuiet();
    void scanListsOnlyFreePorts();
    void scanOfTheMachine();
};

void tst_serialport::openAndClose()
{
    PtyPair Pair;
    MySerialPort Port;
    QVERIFY(Port.OpenPort(Pair.SlavePath(), 115200, QSerialPort::Data8, QSerialPort::NoParity,
                          QSerialPort::OneStop, QSerialPort::NoFlowControl));
    QVERIFY(Port.PortOpened && Port.isOpen());
    QCOMPARE(Port.baudRate(), 115200);
    QVERIFY(Expected::OpenOn(Port, Pair)); // again, through closed
    Port.ClosePort();
    QVERIFY(!Port.PortOpened && !Port.isOpen());
    QVERIFY(!Port.OpenPort(QStringLiteral("/dev/korvel-no-such-port"), 9600, QSerialPort::Data8,
                           QSerialPort::NoParity, QSerialPort::OneStop, QSerialPort::NoFlowControl));
    QVERIFY(!Port.PortOpened);
}

void tst_serialport::sendAndWait_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks"); // the device's reply, none: silence
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<int>("minMs");
    QTest::addColumn<int>("maxMs");
    using L = QList<QByteArray>;
    // A whole reply ends the wait at the next pause; a short one never does.
    QTest::newRow("one piece") << L{Reply} << 0 << Reply << 45 << 400;
    QTest::newRow("three chunks") << L{Reply.left(2), Reply.mid(2, 2), Reply.mid(4)} << 0 << Reply << 45 << 400;
    QTest::newRow("late, within the wait") << L{Reply} << 700 << Reply << 700 << 1200;
    QTest::newRow("one byte short") << L{Reply.left(6)} << 0 << Reply.left(6) << 1450 << 2500;
    QTest::newRow("silence") << L() << 0 << QByteArray() << 1450 << 2500;
}

void tst_serialport::sendAndWait()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(int, delayMs);
    QFETCH(QByteArray, expected);
    QFETCH(int, minMs);
    QFETCH(int, maxMs);
    PtyPair Pair;
    ScriptedPeer Peer(Pair);
    if (!chunks.isEmpty())
        Peer.ExpectChunked(Request, chunks, delayMs, 5);
    MySerialPort Port;
    QVERIFY(Expected::OpenOn(Port, Pair));
    Port.RecvBuffer = "stale"; // what an earlier reply left

    QElapsedTimer Clock;
    Clock.start();
    QCOMPARE(Port.SendAndWait(Request, 7), expected);
    const qint64 Took = Clock.elapsed();
    QVERIFY2(Took >= minMs && Took < maxMs, qPrintable(QString::number(Took)));
    QCOMPARE(Peer.Received(), Request);
}

void tst_serialport::closedPortWritesNothing()
{
    PtyPair Pair;
    ScriptedPeer Peer(Pair);
    MySerialPort Port;
    QVERIFY(Expected::OpenOn(Port, Pair));
    Port.ClosePort();
    Port.RecvBuffer = Reply;
    QElapsedTimer Clock;
    Clock.start();
    QVERIFY(Port.SendAndWait(Request, 7).isEmpty());
    QVERIFY(!Port.SendDataIfOpen(Request));
    QVERIFY(Port.SendTextAndWait(QStringLiteral("01"), true).isEmpty());
    QVERIFY(Clock.elapsed() < 40);
    QTest::qWait(30);
    QVERIFY(Peer.Received().isEmpty());
}

void tst_serialport::floodIsCapped()
{
    PtyPair Pair;
    ScriptedPeer Peer(Pair);
    MySerialPort Port;
    QVERIFY(Expected::OpenOn(Port, Pair));
    Port.ExpectedLength = 7;
    for (int I = 0; I < 20; ++I) {
        Peer.Send(QByteArray(1000, '\x55'));
        QTest::qWait(5);
    }
    QTRY_COMPARE(Port.bytesAvailable(), qint64(0));
    QTest::qWait(20);
    QCOMPARE(Port.RecvBuffer.size(), MySerialPort::RecvBufferCap);
    // The next request empties the buffer, and its reply is caught whole.
    Peer.Expect(Request, Reply);
    QCOMPARE(Port.SendAndWait(Request, 7), Reply);
}

void tst_serialport::farEndHangUpStaysQuiet()
{
    PtyPair Pair;
    ScriptedPeer Peer(Pair);
    MySerialPort Port;
    QVERIFY(Expected::OpenOn(Port, Pair));
    Peer.HangUp();
    QTest::qWait(100); // the port notices the lost line
    const double Before = ProcessCpuSeconds();
    QTest::qWait(1000);
    const double Spent = ProcessCpuSeconds() - Before;
    QVERIFY2(Spent < 0.2, qPrintable(QStringLiteral("CPU seconds in 1 s idle: %1").arg(Spent)));
    // The operator still sees the port open; the next exchange fails.
    QVERIFY(Port.PortOpened);
    QVERIFY(Port.SendAndWait(Request, 7).isEmpty());
}

void tst_serialport::scanListsOnlyFreePorts()
{
    PtyPair Free, Held, Other;
    QSerialPort Holder; // another program's hold on a port
    Holder.setPortName(Held.SlavePath());
    QVERIFY(Holder.open(QIODevice::ReadWrite));
    const QString FreeName = Free.SlavePath().mid(5); // as a scan names it: under /dev
    TestPorts::Offer({Free.SlavePath(), Held.SlavePath(), QStringLiteral("/dev/korvel-gone"),
                      FreeName, Other.SlavePath()});
    MySerialPort Port;
    QCOMPARE(Port.GetPortNames(), (QStringList {FreeName, Other.SlavePath().mid(5)}));
    // Nothing stays open after the scan, and a new scan starts afresh.
    Holder.close();
    QVERIFY(Expected::OpenOn(Port, Free));
    QCOMPARE(Port.GetPortNames(), (QStringList {Held.SlavePath().mid(5), Other.SlavePath().mid(5)}));
    TestPorts::Offer({});
    QVERIFY(Port.GetPortNames().isEmpty());
}

void tst_serialport::scanOfTheMachine()
{
    if (!TestPorts::RealPortsAsked())
        QSKIP("opens the machine's serial ports; KORVEL_TEST_REAL_PORTS=1 runs it");
    TestPorts::MachineScan Machine;
    MySerialPort Port;
    const QStringList Free = Port.GetPortNames();
    if (Free.isEmpty())
        QSKIP("no serial port on this machine opens");
    // A port held by another program is no longer offered.
    QSerialPort Holder;
    Holder.setPortName(Free.first());
    QVERIFY(Holder.open(QIODevice::ReadWrite));
    QVERIFY(!Port.GetPortNames().contains(Free.first()));
}

QTEST_MAIN(tst_serialport)
#include "tst_serialport.moc"
