#ifndef KORVEL_STREAMLINE_H
#define KORVEL_STREAMLINE_H

// What every korvelctl line does whatever carries its bytes (a serial port,
// a TCP connection, Telnet with COM port control): a request goes out once
// the line has been quiet for 3.5 character times, and the wait for its
// reply ends as soon as the reply is complete (or a Modbus exception reply
// is), at the latest after the wait limit (1.5 s unless set). Each frame
// sent and each reply goes to the frame trace as it happens, with the
// milliseconds since the line was made. A transport is a subclass: how it
// opens, how its bytes go out and come in, how it reports going away.

#include "LineLock.h"
#include "RequestLine.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QString>

#include <functional>
#include <memory>

class QEventLoop;
class QIODevice;
struct LineUrl;

// korvelctl's diagnostics, both off unless asked for: the exchanges' own
// log ("korvel.exchange") and the frames on the line ("korvel.frames").
Q_DECLARE_LOGGING_CATEGORY(CtlExchangeLog)
Q_DECLARE_LOGGING_CATEGORY(CtlFramesLog)

// Turns the frame trace on or off; QT_LOGGING_RULES still has the last word.
void ShowFrames(bool On);

class StreamLine : public RequestLine
{
public:
    StreamLine() { Since.start(); }

    static constexpr int ReplyLimitMs = 1500;
    // The longest a network line waits for the connection to be made (and,
    // with RFC 2217, for the server to take the line settings).
    static constexpr int ConnectLimitMs = 3000;

    // The line for a --port text already checked by ParseLineUrl.
    static std::unique_ptr<StreamLine> Make(const LineUrl &Url);

    // Opens the line at Baud, 8N1 without flow control (a raw network line
    // keeps the server's own setting). On failure *Error says why in one
    // line.
    virtual bool Open(int Baud, QString *Error) = 0;
    // A new line speed; false when the line cannot change it.
    virtual bool SetBaud(int Baud) = 0;
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

    QByteArray Transact(const QByteArray &Request, quint8 ExpectedLength) override;

protected:
    virtual QIODevice &Device() = 0;
    // The line's bytes among what arrived (a transport may carry more).
    virtual QByteArray Receive();
    // Puts the frame on its way whole; false with *Why when it could not.
    virtual bool Send(const QByteArray &Frame, QString *Why);
    // Why a wait that ended short was the line's fault (a serial port gone
    // from under it), not the device's; empty when it was not.
    virtual QString GoneDuringWait() const { return QString(); }

    // The speed the silence before a request is counted at.
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
    void KeepSilence();

    int SilenceBaud = 9600;
    int WaitMs = ReplyLimitMs;
    bool LastHeard = false;
    QString SendProblem;
    QString LostReason;
    QEventLoop *Waiting = nullptr; // the wait MarkLost ends
    QElapsedTimer Since; // the start of the command, for the trace
    QElapsedTimer Quiet; // since the last byte seen on the line
};

// The line of a korvelctl run, made from its --port text when the command
// opens it; until then it holds none. DeviceExchange is given this one.
// Opening queues for the line first (LineLock) and holds it to the end.
class ChosenLine : public RequestLine
{
public:
    bool Open(const LineUrl &Url, int Baud, QString *Error);
    // How long Open waits for another run on the line, and the command it
    // names itself by to whoever waits behind it.
    void SetQueue(int Ms, const QString &Command)
    {
        QueueMs = Ms;
        Holder = Command;
    }
    bool SetBaud(int Baud) { return Line && Line->SetBaud(Baud); }
    void SetWaitLimitMs(int Ms);
    int WaitLimitMs() const override { return Line ? Line->WaitLimitMs() : Wait; }
    bool Heard() const { return Line && Line->Heard(); }
    QString SendFailure() const override { return Line ? Line->SendFailure() : QString(); }
    QString Lost() const { return Line ? Line->Lost() : QString(); }
    QByteArray Transact(const QByteArray &Request, quint8 ExpectedLength) override;

private:
    LineLock Queue; // before Line: released after the line is closed
    std::unique_ptr<StreamLine> Line;
    int Wait = StreamLine::ReplyLimitMs;
    int QueueMs = 0; // the run's --line-wait
    QString Holder = QStringLiteral("korvelctl");
};

#endif
