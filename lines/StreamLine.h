#ifndef KORVEL_STREAMLINE_H
#define KORVEL_STREAMLINE_H

// What every korvelctl line does whatever carries its bytes (a serial port,
// a TCP connection, Telnet with COM port control, a Modbus TCP gateway): a
// request goes out once
// the line has been quiet for 3.5 character times, and the wait for its
// reply ends as soon as the reply is complete (or a Modbus exception reply
// is), at the latest after the wait limit (1.5 s unless set). Each frame
// sent and each reply goes to the frame trace as it happens, with the
// milliseconds since the line was made. A transport is a subclass: how it
// opens, how a frame is carried out and taken back in, how it reports going
// away. The base names none of them (LineFactory.h makes them).

#include "RequestLine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QString>

#include <functional>
#include <memory>

class QEventLoop;
class QIODevice;

// The frames on the line ("korvel.frames"), off unless asked for.
Q_DECLARE_LOGGING_CATEGORY(CtlFramesLog)

// Turns the frame trace on or off; QT_LOGGING_RULES still has the last word.
void ShowFrames(bool On);

class StreamLine : public RequestLine
{
    Q_DECLARE_TR_FUNCTIONS(StreamLine)

public:
    StreamLine() { Since.start(); }

    static constexpr int ReplyLimitMs = 1500;
    // The longest a network line waits for the connection to be made (and,
    // with RFC 2217, for the server to take the line settings).
    static constexpr int ConnectLimitMs = 3000;

    // Opens the line at Baud, 8N1 without flow control (a raw network line
    // keeps the server's own setting). On failure *Error says why in one
    // line.
    virtual bool Open(int Baud, QString *Error) = 0;
    // A new line speed; false when the line cannot change it.
    virtual bool SetBaud(int Baud) = 0;
    // Whether the line's speed is a server's own setting that korvelctl
    // can neither set nor read (a raw server, a Modbus TCP gateway).
    virtual bool FixedSpeed() const { return false; }
    void SetWaitLimitMs(int Ms) { WaitMs = Ms; }
    int WaitLimitMs() const override { return WaitMs; }
    // Whether any byte came back to the last request.
    bool Heard() const { return LastHeard; }
    // Why the last Transact could not send its request whole; empty when it
    // could.
    QString SendFailure() const override { return SendProblem; }
    // Why the line went away in the middle of the command; empty while it
    // is there (and for a serial port, whose failures the replies tell).
    QString Lost() const { return LostReason; }
    QString ReplyRefused() const override { return Refusal; }

    QByteArray Transact(const QByteArray &Request, quint8 ExpectedLength) override;

protected:
    virtual QIODevice &Device() = 0;
    // The line's bytes among what arrived (a transport may carry more).
    virtual QByteArray Receive();
    // Puts the frame on its way whole; false with *Why when it could not.
    virtual bool Send(const QByteArray &Frame, QString *Why);
    // The frame as the transport carries it (escaped, in a header).
    virtual QByteArray Encode(const QByteArray &Frame) { return Frame; }
    // Out now rather than when the event loop next looks at the device.
    virtual void Flush() {}
    // A write that took only part of a request, said of what takes the
    // bytes: the port, the connection.
    virtual QString ShortWrite(qint64 Taken, qint64 Size) const
    {
        return tr("the port took only %1 of %2 bytes").arg(Taken).arg(Size);
    }
    // Whether the reply is all there: the expected length, or a Modbus
    // exception reply, which a device sends instead of any reply and which
    // is shorter than all of them.
    virtual bool ReplyDone(const QByteArray &Reply, quint8 ExpectedLength) const;
    // Called once the wait for a reply has ended, however it ended.
    virtual void WaitEnded() {}
    // The frame as the trace shows it: as it went out (Request) or came in;
    // a transport that wraps frames shows them wrapped.
    virtual QByteArray OnWire(const QByteArray &Frame, bool Request) const
    {
        Q_UNUSED(Request);
        return Frame;
    }
    // The reply the transport's framing refused, named (a gateway's header
    // that does not fit the request); cleared at each request.
    void RefuseReply(const QString &Why);
    // Why a wait that ended short was the line's fault (a serial port gone
    // from under it), not the device's; empty when it was not.
    virtual QString GoneDuringWait() const { return QString(); }

    // The speed the silence before a request is counted at; 0: none is
    // kept (a gateway keeps the bus's own), stale bytes are still dropped.
    void SetSilenceBaud(int Baud) { SilenceBaud = Baud; }
    void RestartQuiet() { Quiet.start(); }
    // The line is gone: a wait in progress ends at once. Why is kept for
    // Lost() unless empty.
    void MarkLost(const QString &Why);
    // Runs the event loop until Done() holds, the line is gone or Ms pass;
    // whether Done() held. Bytes arriving meanwhile go through Receive().
    bool WaitUntil(const std::function<bool()> &Done, int Ms);
    void Trace(char Direction, const QByteArray &Bytes, const QString &Note = QString()) const;

private:
    // False when the line did not fall silent within the wait limit.
    bool KeepSilence();

    int SilenceBaud = 9600;
    int WaitMs = ReplyLimitMs;
    bool LastHeard = false;
    QString SendProblem;
    QString LostReason;
    QString Refusal;
    QEventLoop *Waiting = nullptr; // the wait MarkLost ends
    QElapsedTimer Since; // the start of the command, for the trace
    QElapsedTimer Quiet; // since the last byte seen on the line
};

#endif
