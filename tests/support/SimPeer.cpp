#include "SimPeer.h"

SimPeer::SimPeer(PtyPair &Pair, QObject *Parent)
    : QObject(Parent)
    , Line(Pair)
{
    Line.SetResponder([this](const QByteArray &Pending) { return Respond(Pending); });
}

PeerAnswer SimPeer::Respond(const QByteArray &Pending)
{
    DeviceReply Reply = Device.Take(Pending);
    PeerAnswer Answer;
    Answer.Consumed = Reply.Consumed;
    if (Reply.Consumed <= 0)
        return Answer;
    if (ReplyHook)
        ReplyHook(Reply);
    Seen.append(Reply);
    Answer.Chunks = Reply.Chunks;
    Answer.DelayMs = Reply.Chunks.isEmpty() ? 0 : TurnaroundMs + Reply.DelayMs;
    Answer.GapMs = Reply.GapMs;
    Answer.HangUp = Reply.HangUp;
    return Answer;
}
