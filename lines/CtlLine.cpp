#include "CtlLine.h"

#include "PortStatus.h"

namespace {

QString SystemLocation(const QString &Port)
{
#ifdef Q_OS_UNIX
    return Port.startsWith(QLatin1Char('/')) ? Port : QStringLiteral("/dev/") + Port;
#else
    return Port;
#endif
}

} // namespace

CtlLine::CtlLine(const QString &Name) : Name(Name)
{
    // A port that goes away (an adapter pulled out) ends a wait at once.
    QObject::connect(&Port, &QSerialPort::errorOccurred, [this](QSerialPort::SerialPortError Error) {
        if (Error == QSerialPort::ResourceError || Error == QSerialPort::ReadError)
            MarkLost(QString());
    });
}

bool CtlLine::Open(int Baud, QString *Error)
{
    const QString Location = SystemLocation(Name);
    Port.setPortName(Name);
    SetSilenceBaud(Baud);
    if (Port.open(QIODevice::ReadWrite) && Port.setBaudRate(Baud)
        && Port.setDataBits(QSerialPort::Data8) && Port.setParity(QSerialPort::NoParity)
        && Port.setStopBits(QSerialPort::OneStop)
        && Port.setFlowControl(QSerialPort::NoFlowControl)) {
        Port.clear();
        RestartQuiet();
        return true;
    }
    const QSerialPort::SerialPortError Why = Port.error();
    const QString Text = Port.errorString();
    Port.close();
    switch (PortStatus::FromOpenError(Why, Location)) {
    case PortStatus::Missing:
        *Error = tr("%1: no such port (korvelctl ports lists them)").arg(Name);
        break;
    case PortStatus::NoAccess:
        *Error = tr("%1: no permission to open the port; the user must be in the "
                    "dialout group (sudo usermod -aG dialout $USER, then log in again)")
                     .arg(Name);
        break;
    case PortStatus::Busy:
        *Error = tr("%1: the port is busy: another program holds it (%2)").arg(Name, Text);
        break;
    default:
        *Error = tr("%1: cannot open the port: %2").arg(Name, Text);
        break;
    }
    return false;
}

bool CtlLine::Open(const QString &NewName, int Baud, QString *Error)
{
    Name = NewName;
    return Open(Baud, Error);
}

bool CtlLine::SetBaud(int Baud)
{
    SetSilenceBaud(Baud);
    Port.clear();
    RestartQuiet();
    return Port.setBaudRate(Baud);
}

void CtlLine::Flush()
{
    Port.flush();
}

bool CtlLine::Send(const QByteArray &Frame, QString *Why)
{
    if (!StreamLine::Send(Frame, Why))
        return false;
    if (Gone()) {
        *Why = GoneText();
        return false;
    }
    return true;
}

// A port that went away (an adapter pulled out) stays in this error, or
// cannot be read at all (a hung-up terminal reads nothing but its end): its
// requests are the port's failure, not a device that did not answer.
bool CtlLine::Gone() const
{
    return Port.isOpen() && (Port.error() == QSerialPort::ResourceError || Port.error() == QSerialPort::ReadError);
}

QString CtlLine::GoneText() const
{
    if (Port.error() == QSerialPort::ReadError)
        return tr("the port is gone (hung up)");
    return tr("the port is gone (%1)").arg(Port.errorString());
}

QString CtlLine::GoneDuringWait() const
{
    return Gone() ? GoneText() : QString();
}
