#include "StreamLine.h"

#include "CtlLine.h"
#include "LineUrl.h"
#include "ModbusRtu.h"
#ifdef KORVEL_NETWORK_LINES
#include "NetLines.h"
#endif

#include <QCoreApplication>
#include <QEventLoop>
#include <QIODevice>
#include <QThread>
#include <QTimer>

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

// Complete: the expected length arrived, or an exception reply, which a
// device sends instead of any reply and which is shorter than all of them.
bool Complete(const QByteArray &Reply, int ExpectedLength)
{
    if (Reply.size() >= ExpectedLength)
        return true;
    return Reply.size() == ModbusRtu::ExceptionReplyLength && ModbusRtu::IsExceptionReply(Reply);
}

} // namespace

std::unique_ptr<StreamLine> StreamLine::Make(const LineUrl &Url)
{
    switch (Url.Type) {
#ifdef KORVEL_NETWORK_LINES
    case LineUrl::Kind::Tcp: return std::unique_ptr<StreamLine>(new TcpLine(Url.Host, Url.TcpPort, Url.Baud));
    case LineUrl::Kind::Rfc2217: return std::unique_ptr<StreamLine>(new Rfc2217Line(Url.Host, Url.TcpPort));
#else
    case LineUrl::Kind::Tcp:
    case LineUrl::Kind::Rfc2217: return nullptr;
#endif
    case LineUrl::Kind::Serial: break;
    }
    return std::unique_ptr<StreamLine>(new CtlLine(Url.Port));
}

QByteArray StreamLine::Receive()
{
    return Device().readAll();
}

bool StreamLine::Send(const QByteArray &Frame, QString *Why)
{
    const qint64 Taken = Device().write(Frame);
    if (Taken == Frame.size())
        return true;
    *Why = Taken < 0 ? Device().errorString()
                     : QStringLiteral("the port took only %1 of %2 bytes").arg(Taken).arg(Frame.size());
    return false;
}

void StreamLine::MarkLost(const QString &Why)
{
    if (!Why.isEmpty() && LostReason.isEmpty())
        LostReason = Why;
    if (Waiting)
        Waiting->quit();
}

// "12.345 > 00 03 9C 43 00 01 5B 8F": the shape korvel-devsim -v writes too.
void StreamLine::Trace(char Direction, const QByteArray &Bytes, const QString &Note) const
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

void StreamLine::KeepSilence()
{
    // 3.5 characters: 3.6 ms at 9600 Bd, 0.3 ms at 115200. Slept in one
    // piece: a timer in an event loop would add a wake-up of its own, late
    // by up to a millisecond on a busy machine. Bytes that arrive meanwhile
    // are seen when it ends, and the silence starts again from there.
    const qint64 SilenceNs = 35 * BitsPerCharacter * 1000000000LL / (10 * qint64(SilenceBaud));
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        // Whatever arrived since the last reply belongs to no request.
        if (Device().bytesAvailable() > 0 && !Receive().isEmpty())
            Quiet.start();
        const qint64 LeftNs = SilenceNs - Quiet.nsecsElapsed();
        if (LeftNs <= 0 || !LostReason.isEmpty())
            return;
        QThread::usleep(static_cast<unsigned long>((LeftNs + 999) / 1000));
    }
}

bool StreamLine::WaitUntil(const std::function<bool()> &Done, int Ms)
{
    QEventLoop Loop;
    QTimer Limit;
    Limit.setSingleShot(true);
    Limit.setTimerType(Qt::PreciseTimer);
    QObject::connect(&Limit, &QTimer::timeout, &Loop, &QEventLoop::quit);
    const QMetaObject::Connection Reading = QObject::connect(&Device(), &QIODevice::readyRead, &Loop, [&] {
        if (Done())
            Loop.quit();
    });
    Limit.start(Ms);
    Waiting = &Loop;
    if (!Done() && LostReason.isEmpty())
        Loop.exec(QEventLoop::ExcludeUserInputEvents);
    Waiting = nullptr;
    QObject::disconnect(Reading);
    return Done();
}

QByteArray StreamLine::Transact(const QByteArray &Request, quint8 ExpectedLength)
{
    KeepSilence();
    QByteArray Reply;
    LastHeard = false;
    SendProblem.clear();
    if (!LostReason.isEmpty()) {
        SendProblem = LostReason;
        return Reply;
    }
    if (!Send(Request, &SendProblem))
        return Reply;
    Trace('>', Request);
    // Each look at the line takes what arrived; the wait ends when the
    // reply is complete.
    WaitUntil([&] {
        const QByteArray Bytes = Receive();
        if (!Bytes.isEmpty()) {
            Reply += Bytes;
            Quiet.start();
        }
        return Complete(Reply, ExpectedLength);
    }, WaitMs);
    LastHeard = !Reply.isEmpty();
    if (!Complete(Reply, ExpectedLength) && LostReason.isEmpty())
        SendProblem = GoneDuringWait();
    const QString Within = QStringLiteral("within %1 s").arg(WaitMs / 1000.0);
    if (!LostReason.isEmpty() && !Complete(Reply, ExpectedLength))
        Trace('<', Reply, LostReason);
    else if (!SendProblem.isEmpty())
        Trace('<', Reply, SendProblem);
    else if (Reply.isEmpty())
        Trace('<', Reply, QStringLiteral("no reply ") + Within);
    else if (!Complete(Reply, ExpectedLength))
        Trace('<', Reply, QStringLiteral("only %1 of %2 bytes ").arg(Reply.size()).arg(ExpectedLength) + Within);
    else
        Trace('<', Reply);
    return Reply;
}

bool ChosenLine::Open(const LineUrl &Url, int Baud, QString *Error)
{
    Line.reset();
    if (!Queue.Take(Url, Holder, QueueMs, Error))
        return false;
    Line = StreamLine::Make(Url);
    if (!Line) {
        *Error = QStringLiteral("%1: this korvelctl was built without lines to serial device servers")
                     .arg(Url.Port);
        return false;
    }
    Line->SetWaitLimitMs(Wait);
    return Line->Open(Baud, Error);
}

void ChosenLine::SetWaitLimitMs(int Ms)
{
    Wait = Ms;
    if (Line)
        Line->SetWaitLimitMs(Ms);
}

QByteArray ChosenLine::Transact(const QByteArray &Request, quint8 ExpectedLength)
{
    return Line ? Line->Transact(Request, ExpectedLength) : QByteArray();
}
