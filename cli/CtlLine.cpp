#include "CtlLine.h"

#include "ModbusRtu.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <QFileInfo>

Q_LOGGING_CATEGORY(CtlExchangeLog, "korvel.exchange", QtInfoMsg)
Q_LOGGING_CATEGORY(CtlFramesLog, "korvel.frames", QtInfoMsg)

void ShowFrames(bool On)
{
    QLoggingCategory::setFilterRules(QStringLiteral("korvel.frames.debug=%1")
                                         .arg(On ? QStringLiteral("true") : QStringLiteral("false")));
}

namespace {

// 8N1: ten bits a character on the wire.
constexpr qint64 BitsPerCharacter = 10;

QString SystemLocation(const QString &Port)
{
#ifdef Q_OS_UNIX
    return Port.startsWith(QLatin1Char('/')) ? Port : QStringLiteral("/dev/") + Port;
#else
    return Port;
#endif
}

// Complete: the expected length arrived, or an exception reply, which a
// device sends instead of any reply and which is shorter than all of them.
bool Complete(const QByteArray &Reply, int ExpectedLength)
{
    if (Reply.size() >= ExpectedLength)
        return true;
    return Reply.size() == ModbusRtu::ExceptionReplyLength && ModbusRtu::IsExceptionReply(Reply);
}

} // namespace

bool CtlLine::Open(const QString &Name, int NewBaud, QString *Error)
{
    const QString Location = SystemLocation(Name);
    Port.setPortName(Name);
    Baud = NewBaud;
    if (Port.open(QIODevice::ReadWrite) && Port.setBaudRate(Baud)
        && Port.setDataBits(QSerialPort::Data8) && Port.setParity(QSerialPort::NoParity)
        && Port.setStopBits(QSerialPort::OneStop)
        && Port.setFlowControl(QSerialPort::NoFlowControl)) {
        Port.clear();
        Quiet.start();
        return true;
    }
    const QSerialPort::SerialPortError Why = Port.error();
    const QString Text = Port.errorString();
    Port.close();
    const QFileInfo Device(Location);
#ifdef Q_OS_UNIX
    const bool Missing = Why == QSerialPort::DeviceNotFoundError || !Device.exists();
    const bool NoAccess = Why == QSerialPort::PermissionError && (!Device.isReadable() || !Device.isWritable());
#else
    // Windows denies access to a port another program holds.
    const bool Missing = Why == QSerialPort::DeviceNotFoundError;
    const bool NoAccess = false;
    Q_UNUSED(Device);
#endif
    if (Missing) {
        *Error = QStringLiteral("%1: no such port (korvelctl ports lists them)").arg(Name);
    } else if (NoAccess) {
        *Error = QStringLiteral("%1: no permission to open the port; the user must be in the "
                                "dialout group (sudo usermod -aG dialout $USER, then log in again)")
                     .arg(Name);
    } else if (Why == QSerialPort::PermissionError) {
        *Error = QStringLiteral("%1: the port is busy: another program holds it (%2)").arg(Name, Text);
    } else {
        *Error = QStringLiteral("%1: cannot open the port: %2").arg(Name, Text);
    }
    return false;
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
        return QStringLiteral("the port is gone (hung up)");
    return QStringLiteral("the port is gone (%1)").arg(Port.errorString());
}

bool CtlLine::SetBaud(int NewBaud)
{
    Baud = NewBaud;
    Port.clear();
    Quiet.start();
    return Port.setBaudRate(Baud);
}

// "12.345 > 00 03 9C 43 00 01 5B 8F": the shape korvel-devsim -v writes too.
void CtlLine::Trace(char Direction, const QByteArray &Bytes, const QString &Note) const
{
    if (!CtlFramesLog().isDebugEnabled())
        return;
    QString Text = QString::asprintf("%.3f %c", double(Since.nsecsElapsed()) / 1e6, Direction);
    if (!Bytes.isEmpty())
        Text += QLatin1Char(' ') + QString::fromLatin1(Bytes.toHex(' ').toUpper());
    if (!Note.isEmpty())
        Text += QStringLiteral(" (%1)").arg(Note);
    qCDebug(CtlFramesLog).noquote() << Text;
}

void CtlLine::KeepSilence()
{
    // 3.5 characters: 3.6 ms at 9600 Bd, 0.3 ms at 115200. Slept in one
    // piece: a timer in an event loop would add a wake-up of its own, late
    // by up to a millisecond on a busy machine. Bytes that arrive meanwhile
    // are seen when it ends, and the silence starts again from there.
    const qint64 SilenceNs = 35 * BitsPerCharacter * 1000000000LL / (10 * qint64(Baud));
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        // Whatever arrived since the last reply belongs to no request.
        if (Port.bytesAvailable() > 0) {
            Port.readAll();
            Quiet.start();
        }
        const qint64 LeftNs = SilenceNs - Quiet.nsecsElapsed();
        if (LeftNs <= 0)
            return;
        QThread::usleep(static_cast<unsigned long>((LeftNs + 999) / 1000));
    }
}

QByteArray CtlLine::Transact(const QByteArray &Request, quint8 ExpectedLength)
{
    KeepSilence();
    QByteArray Reply;
    LastHeard = false;
    NotSent.clear();
    const qint64 Taken = Port.write(Request);
    if (Taken != Request.size()) {
        NotSent = Taken < 0 ? Port.errorString()
                            : QStringLiteral("the port took only %1 of %2 bytes").arg(Taken).arg(Request.size());
        Trace('>', Request, QStringLiteral("not sent: ") + NotSent);
        return Reply;
    }
    // Out now rather than when the event loop next looks at the port.
    Port.flush();
    if (Gone()) {
        NotSent = GoneText();
        Trace('>', Request, QStringLiteral("not sent: ") + NotSent);
        return Reply;
    }
    Trace('>', Request);

    QEventLoop Loop;
    QTimer Limit;
    Limit.setSingleShot(true);
    Limit.setTimerType(Qt::PreciseTimer);
    QObject::connect(&Limit, &QTimer::timeout, &Loop, &QEventLoop::quit);
    const auto Take = [&] {
        const QByteArray Bytes = Port.readAll();
        if (Bytes.isEmpty())
            return;
        Reply += Bytes;
        Quiet.start();
        if (Complete(Reply, ExpectedLength))
            Loop.quit();
    };
    const QMetaObject::Connection Reading = QObject::connect(&Port, &QSerialPort::readyRead, &Loop, Take);
    // A port that goes away (an adapter pulled out) ends the wait at once.
    const QMetaObject::Connection Failing = QObject::connect(
        &Port, &QSerialPort::errorOccurred, &Loop, [&Loop](QSerialPort::SerialPortError Error) {
            if (Error == QSerialPort::ResourceError || Error == QSerialPort::ReadError)
                Loop.quit();
        });
    Limit.start(WaitMs);
    Take();
    if (!Complete(Reply, ExpectedLength))
        Loop.exec(QEventLoop::ExcludeUserInputEvents);
    QObject::disconnect(Reading);
    QObject::disconnect(Failing);
    LastHeard = !Reply.isEmpty();
    if (!Complete(Reply, ExpectedLength) && Gone()) {
        NotSent = GoneText();
        Trace('<', Reply, NotSent);
    } else {
        TraceReply(Reply, ExpectedLength);
    }
    return Reply;
}

void CtlLine::TraceReply(const QByteArray &Reply, int ExpectedLength) const
{
    const QString Within = QStringLiteral("within %1 s").arg(WaitMs / 1000.0);
    if (Reply.isEmpty())
        Trace('<', Reply, QStringLiteral("no reply ") + Within);
    else if (!Complete(Reply, ExpectedLength))
        Trace('<', Reply, QStringLiteral("only %1 of %2 bytes ").arg(Reply.size()).arg(ExpectedLength) + Within);
    else
        Trace('<', Reply);
}
