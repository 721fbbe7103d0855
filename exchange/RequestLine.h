#ifndef KORVEL_REQUESTLINE_H
#define KORVEL_REQUESTLINE_H

// Where the line to the device ends: the window's port with its 50 ms
// steps, korvelctl's serial port, a connection to a serial server. A new
// transport is a new line; the exchanges never ask which one they have.

#include <QByteArray>
#include <QString>

class RequestLine
{
public:
    virtual ~RequestLine() = default;
    // One transaction: sends the request and hands back whatever arrived
    // within the wait (the reply, a part of it, more, or nothing).
    virtual QByteArray Transact(const QByteArray &Request, quint8 ExpectedLength) = 0;
    // The longest Transact waits for a reply, as the faults tell it.
    virtual int WaitLimitMs() const = 0;
    // Why the last Transact could not send its request whole ("the port
    // took only 3 of 8 bytes", the system's reason); empty when it went out.
    virtual QString SendFailure() const { return QString(); }
    // Why the line refused what came back as the reply before any reply
    // test (a gateway's header that does not fit the request); empty when
    // it did not.
    virtual QString ReplyRefused() const { return QString(); }
};

#endif
