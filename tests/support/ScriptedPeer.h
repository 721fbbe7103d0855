#ifndef KORVEL_SCRIPTEDPEER_H
#define KORVEL_SCRIPTEDPEER_H

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QVector>

#include <functional>

class QSocketNotifier;
class PtyPair;

// What the far end does about the bytes it has received so far.
struct PeerAnswer
{
    int Consumed = 0;          // bytes of the pending input used up (0: wait for more)
    QList<QByteArray> Chunks;  // reply, written chunk by chunk
    int DelayMs = 0;           // before the first chunk
    int GapMs = 0;             // between chunks
    bool HangUp = false;       // close the line after the reply
};

// The device side of a pty pair, served from the test's own event loop:
// answers requests by script or through a responder (for instance the
// simulator's device core), records every byte it received, can hang up.
class ScriptedPeer : public QObject
{
    Q_OBJECT

public:
    using Responder = std::function<PeerAnswer(const QByteArray &Pending)>;

    explicit ScriptedPeer(PtyPair &Pair, QObject *Parent = nullptr);
    ~ScriptedPeer() override;

    // Script: when the pending input starts with Request, send Reply.
    // Rules are tried in the order given; a rule with Times > 0 is used up
    // after that many answers.
    void Expect(const QByteArray &Request, const QByteArray &Reply, int DelayMs = 0,
                int Times = 0);
    void ExpectChunked(const QByteArray &Request, const QList<QByteArray> &Chunks,
                       int DelayMs, int GapMs, int Times = 0);
    // Replaces the script with a responder of the caller's.
    void SetResponder(Responder Answer);

    QByteArray Received() const { return All; }
    void ClearReceived() { All.clear(); }
    // Writes bytes unasked.
    void Send(const QByteArray &Data);
    void HangUp();

private:
    struct Rule
    {
        QByteArray Request;
        PeerAnswer Answer;
        int Times = 0;
    };

    void OnReadable();
    void Serve();
    void Deliver(const PeerAnswer &Answer);

    PtyPair &Line;
    QSocketNotifier *Notifier = nullptr;
    QByteArray All;
    QByteArray Pending;
    QVector<Rule> Rules;
    Responder Custom;
};

#endif
