// MySerialPort against a real pseudo-terminal: collection rules of the
// receive buffer, the bounded send-and-wait, a lost line, hex text.

#include "LogCapture.h"
#include "MySerialPort.h"
#include "PtyPair.h"
#include "ScriptedPeer.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include <ctime>

namespace {
QByteArray Hex(const char *Text)
{
    return QByteArray::fromHex(Text);
}

bool OpenOn(MySerialPort &Port, const PtyPair &Pair, qint32 Baud = 9600)
{
    return Port.OpenPort(Pair.SlavePath(), Baud, QSerialPort::Data8, QSerialPort::NoParity,
                         QSerialPort::OneStop, QSerialPort::NoFlowControl);
}

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
    void openCloseAndFlags();
    void emptyNameClosesOpenPort();
    void chunksWithExpectedLength();
    void chunksWithoutExpectedLength();
    void immediateReplyCostsOnePause_data();
    void immediateReplyCostsOnePause();
    void shortReplyWaitsTheFullWait();
    void closedPortWritesNothing();
    void floodingDeviceIsCapped();
    void farEndHangUpStaysQuiet();
    void hexTextToBytes_data();
    void hexTextToBytes();
    void bytesToHexText();
    void hexCharValue();
    void sendTextAndWait();
};

void tst_serialport::openCloseAndFlags()
{
    PtyPair Pair;
    QVERIFY(Pair.IsOpen());
    MySerialPort Port;
    QVERIFY(!Port.PortOpened);
    QCOMPARE(Port.ExpectedLength, quint8(0));

    QVERIFY(OpenOn(Port, Pair, 115200));
    QVERIFY(Port.PortOpened);
    QVERIFY(Port.isOpen());
    QCOMPARE(Port.baudRate(), 115200);
    QCOMPARE(Port.dataBits(), QSerialPort::Data8);
    QCOMPARE(Port.parity(), QSerialPort::NoParity);
    QCOMPARE(Port.stopBits(), QSerialPort::OneStop);

    // Opening the same port again passes through closed and succeeds.
    QVERIFY(OpenOn(Port, Pair));
    QVERIFY(Port.PortOpened);

    Port.RecvBuffer = "kept";
    Port.ClosePort();
    QVERIFY(!Port.PortOpened);
    QVERIFY(!Port.isOpen());
    QCOMPARE(Port.RecvBuffer, QByteArray("kept"));

    // Closing a closed port only clears the flag.
    Port.PortOpened = true;
    Port.ClosePort();
    QVERIFY(!Port.PortOpened);

    QVERIFY(!Port.OpenPort(QStringLiteral("/dev/korvel-no-such-port"), 9600, QSerialPort::Data8,
                           QSerialPort::NoParity, QSerialPort::OneStop,
                           QSerialPort::NoFlowControl));
    QVERIFY(!Port.PortOpened);
}

void tst_serialport::emptyNameClosesOpenPort()
{
    PtyPair Pair;
    MySerialPort Port;
    QVERIFY(OpenOn(Port, Pair));
    QVERIFY(!Port.OpenPort(QString(), 9600, QSerialPort::Data8, QSerialPort::NoParity,
                           QSerialPort::OneStop, QSerialPort::NoFlowControl));
    QVERIFY(!Port.PortOpened);
    QVERIFY(!Port.isOpen());
}

void tst_serialport::chunksWithExpectedLength()
{
    PtyPair Pair;
    ScriptedPeer Peer(Pair);
    MySerialPort Port;
    QVERIFY(OpenOn(Port, Pair));
    QSignalSpy Spy(&Port, &MySerialPort::RecvData);
    Port.ExpectedLength = 7;

    Peer.Send(Hex("000302"));
    QTRY_COMPARE(Port.RecvBuffer.size(), 3);
    QCOMPARE(Spy.count(), 0);
    Peer.Send(Hex("00014444"));
    QTRY_COMPARE(Port.RecvBuffer.size(), 7);
    QCOMPARE(Spy.count(), 1);
    QCOMPARE(Spy.at(0).at(0).toByteArray(), Hex("00030200014444"));

    // Past the expected length nothing more is announced.
    Peer.Send(Hex("AA"));
    QTRY_COMPARE(Port.RecvBuffer.size(), 8);
    QTest::qWait(20);
    QCOMPARE(Spy.count(), 1);
}

void tst_serialport::chunksWithoutExpectedLength()
{
    PtyPair Pair;
    ScriptedPeer Peer(Pair);
    MySerialPort Port;
    QVERIFY(OpenOn(Port, Pair));
    QSignalSpy Spy(&Port, &MySerialPort::RecvData);
    QCOMPARE(Port.ExpectedLength, quint8(0));

    Peer.Send(Hex("010203"));
    QTRY_COMPARE(Spy.count(), 1);
    Peer.Send(Hex("04050607"));
    QTRY_COMPARE(Spy.count(), 2);
    QCOMPARE(Port.RecvBuffer, Hex("04050607"));
    QCOMPARE(Spy.at(1).at(0).toByteArray(), Hex("04050607"));
}

void tst_serialport::immediateReplyCostsOnePause_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::newRow("one piece") << QList<QByteArray> {Hex("00030200014444")};
    QTest::newRow("three chunks") << QList<QByteArray> {Hex("0003"), Hex("0200"), Hex("014444")};
}

void tst_serialport::immediateReplyCostsOnePause()
{
    QFETCH(QList<QByteArray>, chunks);
    PtyPair Pair;
    ScriptedPeer Peer(Pair);
    const QByteArray Request = Hex("00039C4300015A5F");
    Peer.ExpectChunked(Request, chunks, 0, 5);
    MySerialPort Port;
    QVERIFY(OpenOn(Port, Pair));
    Port.RecvBuffer = "stale";

    QElapsedTimer Clock;
    Clock.start();
    const QByteArray Reply = Port.SendAndWait(Request, 7);
    const qint64 Took = Clock.elapsed();

    QCOMPARE(Reply, Hex("00030200014444"));
    QCOMPARE(Port.ExpectedLength, quint8(7));
    QCOMPARE(Peer.Received(), Request);
    QVERIFY2(Took >= 45 && Took < 400, qPrintable(QString::number(Took)));
}

void tst_serialport::shortReplyWaitsTheFullWait()
{
    PtyPair Pair;
    ScriptedPeer Peer(Pair);
    const QByteArray Request = Hex("00039C4300015A5F");
    Peer.Expect(Request, Hex("0003020001"));
    MySerialPort Port;
    QVERIFY(OpenOn(Port, Pair));

    QElapsedTimer Clock;
    Clock.start();
    const QByteArray Reply = Port.SendAndWait(Request, 7);
    const qint64 Took = Clock.elapsed();

    QCOMPARE(Reply, Hex("0003020001"));
    QVERIFY2(Took >= 1450 && Took < 2500, qPrintable(QString::number(Took)));
}

void tst_serialport::closedPortWritesNothing()
{
    PtyPair Pair;
    ScriptedPeer Peer(Pair);
    MySerialPort Port;
    QVERIFY(OpenOn(Port, Pair));
    Port.ClosePort();
    Port.RecvBuffer = Hex("00030200014444");

    QElapsedTimer Clock;
    Clock.start();
    const QByteArray Reply = Port.SendAndWait(Hex("00039C4300015A5F"), 7);
    QVERIFY(Clock.elapsed() < 40);
    QVERIFY(Reply.isEmpty());
    QVERIFY(Port.RecvBuffer.isEmpty());
    QCOMPARE(Port.ExpectedLength, quint8(7));
    QTest::qWait(30);
    QVERIFY(Peer.Received().isEmpty());

    // The other senders test the flag as well.
    QVERIFY(!Port.SendDataIfOpen(Hex("01")));
    QVERIFY(!Port.SendText(QStringLiteral("01"), true));
    QVERIFY(Port.SendTextAndWait(QStringLiteral("01"), true).isEmpty());
    // Empty request bytes are refused without a wait.
    QVERIFY(OpenOn(Port, Pair));
    Clock.restart();
    QVERIFY(Port.SendAndWait(QByteArray(), 7).isEmpty());
    QVERIFY(Clock.elapsed() < 40);
}

void tst_serialport::floodingDeviceIsCapped()
{
    PtyPair Pair;
    ScriptedPeer Peer(Pair);
    MySerialPort Port;
    QVERIFY(OpenOn(Port, Pair));
    Port.ExpectedLength = 7;
    const QByteArray Block(1000, '\x55');
    for (int I = 0; I < 20; ++I) {
        Peer.Send(Block);
        QTest::qWait(5);
    }
    QTRY_COMPARE(Port.bytesAvailable(), qint64(0));
    QTest::qWait(20);
    QCOMPARE(Port.RecvBuffer.size(), MySerialPort::RecvBufferCap);

    // A reply after the flood is still caught whole: the send empties the buffer.
    const QByteArray Request = Hex("00039C4300015A5F");
    Peer.Expect(Request, Hex("00030200014444"));
    QCOMPARE(Port.SendAndWait(Request, 7), Hex("00030200014444"));
}

void tst_serialport::farEndHangUpStaysQuiet()
{
    PtyPair Pair;
    ScriptedPeer Peer(Pair);
    MySerialPort Port;
    QVERIFY(OpenOn(Port, Pair));
    Peer.HangUp();

    QTest::qWait(100); // let the port notice the lost line
    const double Before = ProcessCpuSeconds();
    QTest::qWait(1000);
    const double Spent = ProcessCpuSeconds() - Before;
    QVERIFY2(Spent < 0.2, qPrintable(QStringLiteral("CPU seconds in 1 s idle: %1").arg(Spent)));

    // The operator still sees the port as open; the next exchange fails.
    QVERIFY(Port.PortOpened);
    QElapsedTimer Clock;
    Clock.start();
    QVERIFY(Port.SendAndWait(Hex("00039C4300015A5F"), 7).isEmpty());
    QVERIFY(Clock.elapsed() < 1700);
    Port.ClosePort();
    QVERIFY(!Port.PortOpened);

    // Once the device is back, a new open works.
    PtyPair Again;
    ScriptedPeer Device(Again);
    Device.Expect(Hex("00039C4300015A5F"), Hex("00030200014444"));
    QVERIFY(OpenOn(Port, Again));
    QCOMPARE(Port.SendAndWait(Hex("00039C4300015A5F"), 7), Hex("00030200014444"));
}

void tst_serialport::hexTextToBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("pairs with spaces") << "01 03 00 0A" << Hex("0103000A");
    QTest::newRow("bad pair stops") << "0103 0G" << Hex("0103");
    QTest::newRow("trailing digit dropped") << "ABC" << Hex("AB");
    QTest::newRow("leading space, lower case") << " ab" << Hex("AB");
    QTest::newRow("space inside a pair") << "1 2" << QByteArray();
    QTest::newRow("empty") << "" << QByteArray();
    QTest::newRow("tab is no separator") << "01\t02" << Hex("01");
    QTest::newRow("wide character") << QString::fromUtf8("0Ж12") << QByteArray();
    QTest::newRow("latin-1 letter") << QString::fromUtf8("é1") << QByteArray();
}

void tst_serialport::hexTextToBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(MySerialPort::HexTextToBytes(text), bytes);
}

void tst_serialport::bytesToHexText()
{
    QCOMPARE(MySerialPort::BytesToHexText(Hex("001FA0")), QStringLiteral("001FA0"));
    QCOMPARE(MySerialPort::BytesToHexText(QByteArray()), QString());
    QByteArray All;
    for (int I = 0; I < 256; ++I)
        All.append(char(I));
    const QString Text = MySerialPort::BytesToHexText(All);
    QCOMPARE(Text.size(), 512);
    QCOMPARE(MySerialPort::HexTextToBytes(Text), All);
}

void tst_serialport::hexCharValue()
{
    QCOMPARE(MySerialPort::HexCharValue('G'), 16);
    QCOMPARE(MySerialPort::HexCharValue(' '), 16);
    QCOMPARE(MySerialPort::HexCharValue('a'), 10);
    QCOMPARE(MySerialPort::HexCharValue('A'), 10);
    QCOMPARE(MySerialPort::HexCharValue('f'), 15);
    QCOMPARE(MySerialPort::HexCharValue('9'), 9);
    QCOMPARE(MySerialPort::HexCharValue('\xE9'), 16);
}

void tst_serialport::sendTextAndWait()
{
    PtyPair Pair;
    ScriptedPeer Peer(Pair);
    Peer.Expect(Hex("0103000A"), Hex("CAFE"));
    Peer.Expect("hello", "world");
    MySerialPort Port;
    QVERIFY(OpenOn(Port, Pair));
    QCOMPARE(Port.SendTextAndWait(QStringLiteral("01 03 00 0A"), true), Hex("CAFE"));
    QCOMPARE(Port.SendTextAndWait(QStringLiteral("hello"), false), QByteArray("world"));
    QCOMPARE(Peer.Received(), Hex("0103000A") + QByteArray("hello"));
}

QTEST_MAIN(tst_serialport)
#include "tst_serialport.moc"
