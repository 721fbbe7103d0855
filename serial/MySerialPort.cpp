#include "MySerialPort.h"

#include "ModbusRtu.h"

#include <QDebug>
#include <QEventLoop>
#include <QException>
#include <QSerialPortInfo>
#include <QTimer>

MySerialPort::MySerialPort(QObject *parent)
    : QSerialPort(parent)
{
    connect(this, SIGNAL(readyRead()), this, SLOT(onRecvData()));
    // A vanished device (adapter unplugged, far end of the line closed)
    // makes the port report a read or resource error over and over, at full CPU.
    // Stop reading from the dead port; PortOpened stays as the operator
    // left it, so the next exchange fails and "Закрыть" still closes.
    // Queued, so the port is not closed inside its own notifier callback.
    connect(this, &QSerialPort::errorOccurred, this, &MySerialPort::OnPortError,
            Qt::QueuedConnection);
}

MySerialPort::~MySerialPort()
{
    if (isOpen())
        close();
}

void MySerialPort::OnPortError(QSerialPort::SerialPortError Error)
{
    // A pseudo-terminal whose far end closed reports ReadError, a vanished
    // USB adapter ResourceError; either way the line is gone.
    if ((Error == QSerialPort::ResourceError || Error == QSerialPort::ReadError) && isOpen())
        close();
}

bool MySerialPort::OpenPort(const QString &PortName, qint32 BaudRate,
                            QSerialPort::DataBits DataBits, QSerialPort::Parity Parity,
                            QSerialPort::StopBits StopBits, QSerialPort::FlowControl FlowControl)
{
    PortOpened = false;
    if (isOpen())
        close();
    if (PortName.isEmpty())
        return false;
    setPortName(PortName);
    setBaudRate(BaudRate, QSerialPort::AllDirections);
    setDataBits(DataBits);
    setParity(Parity);
    setStopBits(StopBits);
    setFlowControl(FlowControl);
    PortOpened = open(QIODevice::ReadWrite);
    return PortOpened;
}

void MySerialPort::ClosePort()
{
    if (isOpen())
        close();
    PortOpened = false;
}

namespace {

// Opens the port for a moment: listed once if it could be opened.
void ListIfFree(const QString &Shown, QSerialPort &Probe, QStringList *List)
{
    qDebug() << "=========port name:" << Shown;
    if (!Probe.open(QIODevice::ReadWrite))
        return;
    const QString Name = Probe.portName();
    if (!List->contains(Name, Qt::CaseSensitive))
        List->append(Name);
    Probe.close();
}

} // namespace

const QStringList *MySerialPort::ScanOnly = nullptr;

void MySerialPort::ScanPorts()
{
    PortNameList.clear();
    if (ScanOnly) {
        for (const QString &Name : *ScanOnly) {
            QSerialPort Probe;
            Probe.setPortName(Name);
            ListIfFree(Name, Probe, &PortNameList);
        }
        return;
    }
    const auto Ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &Info : Ports) {
        QSerialPort Probe;
        Probe.setPort(Info);
        ListIfFree(Info.portName(), Probe, &PortNameList);
    }
}

QStringList &MySerialPort::GetPortNames()
{
    ScanPorts();
    return PortNameList;
}

bool MySerialPort::OpenFirstPort(qint32 BaudRate, QSerialPort::DataBits DataBits,
                                 QSerialPort::Parity Parity, QSerialPort::StopBits StopBits)
{
    if (PortNameList.isEmpty())
        ScanPorts();
    if (PortNameList.isEmpty())
        return false;
    qDebug().noquote() << "open port name:" + PortNameList.first();
    return OpenPort(PortNameList.first(), BaudRate, DataBits, Parity, StopBits,
                    QSerialPort::NoFlowControl);
}

void MySerialPort::onRecvData()
{
    QByteArray Chunk = readAll();
    if (ExpectedLength != 0) {
        const int Room = RecvBufferCap - RecvBuffer.size();
        if (Room > 0)
            RecvBuffer.append(Chunk.left(Room));
        if (RecvBuffer.size() == ExpectedLength)
            emit RecvData(RecvBuffer);
    } else {
        Chunk.truncate(RecvBufferCap);
        RecvBuffer = Chunk;
        if (!RecvBuffer.isEmpty())
            emit RecvData(RecvBuffer);
    }
}

bool MySerialPort::SendData(const QByteArray &Data)
{
    RecvBuffer.clear();
    if (Data.isEmpty())
        return false;
    // A port closed under us by a lost line accepts nothing.
    if (!isOpen())
        return false;
    return write(Data) == Data.size();
}

bool MySerialPort::SendDataIfOpen(const QByteArray &Data)
{
    if (!PortOpened)
        return false;
    return SendData(Data);
}

bool MySerialPort::SendText(const QString &Text, bool Hex)
{
    RecvBuffer.clear();
    if (!PortOpened)
        return false;
    const QByteArray Data = Hex ? HexTextToBytes(Text) : Text.toUtf8();
    return write(Data) == Data.size();
}

int MySerialPort::HexCharValue(char Ch)
{
    if (Ch >= '0' && Ch <= '9')
        return Ch - '0';
    if (Ch >= 'A' && Ch <= 'F')
        return Ch - 'A' + 10;
    if (Ch >= 'a' && Ch <= 'f')
        return Ch - 'a' + 10;
    return 16;
}

static int HexValueOf(QChar Ch)
{
    return Ch.unicode() > 255 ? 16 : MySerialPort::HexCharValue(char(Ch.unicode()));
}

QByteArray MySerialPort::HexTextToBytes(const QString &Text)
{
    QByteArray Result;
    int Pos = 0;
    while (Pos < Text.size()) {
        if (Text.at(Pos).unicode() == ' ') {
            ++Pos;
            continue;
        }
        if (Pos + 1 >= Text.size())
            break;
        const int High = HexValueOf(Text.at(Pos));
        const int Low = HexValueOf(Text.at(Pos + 1));
        if (High > 15 || Low > 15)
            break;
        Result.append(char(High * 16 + Low));
        Pos += 2;
    }
    return Result;
}

QString MySerialPort::BytesToHexText(const QByteArray &Data)
{
    // The one hex form of the log, shared with the exchanges' own lines.
    return ModbusRtu::HexText(Data);
}

void MySerialPort::PauseMs(int Ms)
{
    QEventLoop Loop;
    QTimer::singleShot(Ms, &Loop, SLOT(quit()));
    try {
        Loop.exec();
    } catch (QException &Error) {
        const QString Message = QString::fromLocal8Bit(Error.what());
        Q_UNUSED(Message);
    }
}

QByteArray MySerialPort::SendAndWait(const QByteArray &Request, quint8 ExpectedReplyLength)
{
    ExpectedLength = ExpectedReplyLength;
    if (!PortOpened) {
        RecvBuffer.clear();
        return QByteArray();
    }
    if (!SendData(Request))
        return RecvBuffer;
    for (int Pause = 0; Pause < WaitPauses; ++Pause) {
        PauseMs(PauseStepMs);
        const int Received = RecvBuffer.size();
        if (Received > 0 && (ExpectedLength == 0 || Received == ExpectedLength))
            break;
    }
    return RecvBuffer;
}

QByteArray MySerialPort::SendTextAndWait(const QString &Text, bool Hex)
{
    if (!SendText(Text, Hex))
        return RecvBuffer;
    for (int Pause = 0; Pause < WaitPauses; ++Pause) {
        PauseMs(PauseStepMs);
        if (!RecvBuffer.isEmpty())
            break;
    }
    return RecvBuffer;
}
