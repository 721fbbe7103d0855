#include "StreamLine.h"

#include "Language.h"
#include "ModbusRtu.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QIODevice>
#include <QThread>
#include <QTimer>

Q_LOGGING_CATEGORY(CtlFramesLog, "korvel.frames", QtInfoMsg)

void ShowFrames(bool On)
{
    QLoggingCategory::setFilterRules(QStringLiteral("korvel.frames.debug=%1")
                                         .arg(On ? QStringLiteral("true") : QStringLiteral("false")));
}

namespace {

// 8N1: ten bits a character on the wire.
constexpr qint64 BitsPerCharacter = 10;

} // namespace

bool StreamLine::ReplyDone(const QByteArray &Reply, quint8 ExpectedLength) const
{
    if (Reply.size() >= ExpectedLength)
        return true;
    return Reply.size() == ModbusRtu::ExceptionReplyLength && ModbusRtu::IsExceptionReply(Reply);
}

QByteArray StreamLine::Receive()
{
    return Device().readAll();
}

bool StreamLine::Send(const QByteArray &Frame, QString *Why)
{
    const QByteArray Bytes = Encode(Frame);
    const qint64 Taken = Device().write(Bytes);
    if (Taken == Bytes.size()) {
        Flush();
        return true;
    }
    *Why = Taken < 0 ? Device().errorString()
                     : ShortWrite(Taken, Bytes.size());
    return false;
}

void StreamLine::RefuseReply(const QString &Why)
{
    if (Refusal.isEmpty())
        Refusal = Why;
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

bool StreamLine::KeepSilence()
{
    // 3.5 characters: 3.6 ms at 9600 Bd, 0.3 ms at 115200. Slept in one
    // piece: a timer in an event loop would add a wake-up of its own, late
    // by up to a millisecond on a busy machine. Bytes that arrive meanwhile
    // are seen when it ends, and the silence starts again from there; a
    // line that never falls silent (a device or server sending without
    // end) is given up after the wait limit.
    const qint64 SilenceNs = SilenceBaud > 0 ? 35 * BitsPerCharacter * 1000000000LL / (10 * qint64(SilenceBaud)) : 0;
    QElapsedTimer Trying;
    Trying.start();
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        // Whatever arrived since the last reply belongs to no request.
        if (Device().bytesAvailable() > 0 && !Receive().isEmpty())
            Quiet.start();
        const qint64 LeftNs = SilenceNs - Quiet.nsecsElapsed();
        if (LeftNs <= 0 || !LostReason.isEmpty())
            return true;
        if (Trying.elapsed() > WaitMs)
            return false;
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
    const bool Silent = KeepSilence();
    QByteArray Reply;
    LastHeard = false;
    SendProblem.clear();
    Refusal.clear();
    if (!LostReason.isEmpty()) {
        SendProblem = LostReason;
        return Reply;
    }
    if (!Silent) {
        SendProblem = tr("the line did not fall silent within %1 s: something on it sends without pause")
                          .arg(Language::Decimal(WaitMs / 1000.0));
        Trace('>', QByteArray(), SendProblem);
        return Reply;
    }
    if (!Send(Request, &SendProblem))
        return Reply;
    Trace('>', OnWire(Request, true));
    // Each look at the line takes what arrived; the wait ends when the
    // reply is complete.
    WaitUntil([&] {
        const QByteArray Bytes = Receive();
        if (!Bytes.isEmpty()) {
            Reply += Bytes;
            Quiet.start();
        }
        return ReplyDone(Reply, ExpectedLength);
    }, WaitMs);
    WaitEnded();
    LastHeard = !Reply.isEmpty();
    if (!ReplyDone(Reply, ExpectedLength) && LostReason.isEmpty())
        SendProblem = GoneDuringWait();
    const QString Within = QStringLiteral("within %1 s").arg(WaitMs / 1000.0);
    if (!LostReason.isEmpty() && !ReplyDone(Reply, ExpectedLength))
        Trace('<', Reply, LostReason);
    else if (!SendProblem.isEmpty())
        Trace('<', Reply, SendProblem);
    else if (Reply.isEmpty())
        Trace('<', Reply, QStringLiteral("no reply ") + Within);
    else if (!Refusal.isEmpty())
        Trace('<', OnWire(Reply, false), Refusal);
    else if (!ReplyDone(Reply, ExpectedLength))
        Trace('<', OnWire(Reply, false), QStringLiteral("only %1 of %2 bytes ").arg(Reply.size()).arg(ExpectedLength) + Within);
    else
        Trace('<', OnWire(Reply, false));
    return Reply;
}

