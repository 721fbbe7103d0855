#ifndef KORVEL_SIMPEER_H
#define KORVEL_SIMPEER_H

#include "DeviceCore.h"
#include "ScriptedPeer.h"

#include <QObject>

#include <functional>

class PtyPair;

// The simulated device on the master side of a pty pair, served from the
// test's own event loop: one line gives a suite a device that answers the
// way the korvel-devsim program does, faults included (chunks, delays and
// hang-up are carried out by the scripted peer).
//
//     PtyPair Pair;
//     SimPeer Device(Pair);
//     Device.Core().AddFault({DeviceFault::BadCrc, 3});
class SimPeer : public QObject
{
    Q_OBJECT

public:
    explicit SimPeer(PtyPair &Pair, QObject *Parent = nullptr);

    DeviceCore &Core() { return Device; }
    ScriptedPeer &Peer() { return Line; }
    // Every decision of the core so far (garbage, other addresses, answers).
    const QList<DeviceReply> &Replies() const { return Seen; }
    // Forgets them, so that a long run keeps no growing record.
    void ClearReplies() { Seen.clear(); }
    // Added before every reply, as a device's turnaround (default 0).
    void SetTurnaroundMs(int Ms) { TurnaroundMs = Ms; }
    // Sees every decision of the core before it is carried out, and may
    // change it: for replies no fault produces, or to note the state of
    // the side under test at the moment a request arrived.
    using Hook = std::function<void(DeviceReply &)>;
    void SetReplyHook(Hook Change) { ReplyHook = std::move(Change); }

private:
    PeerAnswer Respond(const QByteArray &Pending);

    DeviceCore Device;
    ScriptedPeer Line;
    QList<DeviceReply> Seen;
    int TurnaroundMs = 0;
    Hook ReplyHook;
};

#endif
