#include "ScriptedPeer.h"

#include "PtyPair.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <unistd.h>

ScriptedPeer::ScriptedPeer(PtyPair &Pair, QObject *Parent)
    : QObject(Parent)
    , Line(Pair)
{
    Notifier = new QSocketNotifier(Line.MasterFd(), QSocketNotifier::Read, this);
    connect(Notifier, &QSocketNotifier::activated, this, &ScriptedPeer::OnReadable);
}

ScriptedPeer::~ScriptedPeer() = default;

void ScriptedPeer::Expect(const QByteArray &Request, const QByteArray &Reply, int DelayMs,
                          int Times)
{
    ExpectChunked(Request, {Reply}, DelayMs, 0, Times);
}

void ScriptedPeer::ExpectChunked(const QByteArray &Request, const QList<QByteArray> &Chunks,
                                 int DelayMs, int GapMs, int Times)
{
    Rule R;
    R.Request = Request;
    R.Answer.Consumed = Request.size();
    R.Answer.Chunks = Chunks;
    R.Answer.DelayMs = DelayMs;
    R.Answer.GapMs = GapMs;
    R.Times = Times;
    Rules.append(R);
}

void ScriptedPeer::SetResponder(Responder Answer)
{
    Custom = std::move(Answer);
}

void ScriptedPeer::OnReadable()
{
    if (Line.MasterFd() < 0) {
        Notifier->setEnabled(false);
        return;
    }
    char Buffer[4096];
    for (;;) {
        const ssize_t Got = ::read(Line.MasterFd(), Buffer, sizeof Buffer);
        if (Got > 0) {
            All.append(Buffer, int(Got));
            Pending.append(Buffer, int(Got));
            continue;
        }
        if (Got < 0 && (errno == EAGAIN || errno == EINTR))
            break;
        // EIO or end of file: the other end is gone for now.
        break;
    }
    Serve();
}

void ScriptedPeer::Serve()
{
    while (!Pending.isEmpty()) {
        PeerAnswer Answer;
        if (Custom) {
            Answer = Custom(Pending);
        } else {
            for (int I = 0; I < Rules.size(); ++I) {
                if (Pending.startsWith(Rules[I].Request)) {
                    Answer = Rules[I].Answer;
                    if (Rules[I].Times > 0 && --Rules[I].Times == 0)
                        Rules.remove(I);
                    break;
                }
            }
        }
        if (Answer.Consumed <= 0)
            return;
        Pending.remove(0, Answer.Consumed);
        Deliver(Answer);
        if (Answer.HangUp)
            return;
    }
}

void ScriptedPeer::Deliver(const PeerAnswer &Answer)
{
    int At = Answer.DelayMs;
    for (const QByteArray &Chunk : Answer.Chunks) {
        if (At <= 0) {
            Send(Chunk);
        } else {
            QTimer::singleShot(At, this, [this, Chunk] { Send(Chunk); });
        }
        At += Answer.GapMs;
    }
    if (Answer.HangUp)
        QTimer::singleShot(At + 1, this, [this] { HangUp(); });
}

void ScriptedPeer::Send(const QByteArray &Data)
{
    if (Line.MasterFd() < 0)
        return;
    int Done = 0;
    while (Done < Data.size()) {
        const ssize_t Put = ::write(Line.MasterFd(), Data.constData() + Done, size_t(Data.size() - Done));
        if (Put <= 0)
            break; // a full line drops the rest, as a flooded wire would
        Done += int(Put);
    }
}

void ScriptedPeer::HangUp()
{
    if (Notifier)
        Notifier->setEnabled(false);
    Line.HangUp();
}
