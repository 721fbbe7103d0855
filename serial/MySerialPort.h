#ifndef KORVEL_MYSERIALPORT_H
#define KORVEL_MYSERIALPORT_H

// The one serial port the tool talks to the device through: open, close,
// scan, the receive buffer, and the bounded send-and-wait every exchange
// uses. It knows nothing of frames.

#include <QByteArray>
#include <QSerialPort>
#include <QStringList>

class MySerialPort : public QSerialPort
{
    Q_OBJECT

public:
    explicit MySerialPort(QObject *parent = nullptr);
    ~MySerialPort() override;

    bool OpenPort(const QString &PortName, qint32 BaudRate,
                  QSerialPort::DataBits DataBits, QSerialPort::Parity Parity,
                  QSerialPort::StopBits StopBits, QSerialPort::FlowControl FlowControl);
    void ClosePort();
    void ScanPorts();
    QStringList &GetPortNames();
    bool OpenFirstPort(qint32 BaudRate, QSerialPort::DataBits DataBits,
                       QSerialPort::Parity Parity, QSerialPort::StopBits StopBits);

    bool SendData(const QByteArray &Data);
    bool SendDataIfOpen(const QByteArray &Data);
    bool SendText(const QString &Text, bool Hex);
    static int HexCharValue(char Ch);
    static QByteArray HexTextToBytes(const QString &Text);
    static QString BytesToHexText(const QByteArray &Data);
    static void PauseMs(int Ms);
    QByteArray SendAndWait(const QByteArray &Request, quint8 ExpectedReplyLength);
    QByteArray SendTextAndWait(const QString &Text, bool Hex);

    // One wait is at most this many pauses of this length.
    static constexpr int WaitPauses = 30;
    static constexpr int PauseStepMs = 50;
    // No accepted reply is longer than 255 bytes; a device that chatters
    // between requests must not make the buffer grow without bound.
    static constexpr int RecvBufferCap = 4096;

    // When set, the scan tries these port names instead of the machine's
    // ports. The tool never sets it; test programs do, so that their runs
    // open pseudo-terminals only and leave real adapters alone.
    static const QStringList *ScanOnly;

    bool PortOpened = false;
    QByteArray RecvBuffer;
    QStringList PortNameList;
    quint8 ExpectedLength = 0;

signals:
    void RecvData(QByteArray Data);

private slots:
    void onRecvData();

private:
    void OnPortError(QSerialPort::SerialPortError Error);
};

#endif
