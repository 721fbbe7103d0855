#ifndef KORVEL_CTLLINE_H
#define KORVEL_CTLLINE_H

// korvelctl's serial line: a request goes out once the line has been quiet
// for 3.5 character times, and the wait for its reply ends as soon as the
// reply is complete (or a Modbus exception reply is), at the latest after
// the wait limit (1.5 s unless set). Each frame sent and each reply goes to
// the frame trace as it happens, with the milliseconds since the line was
// made.

#include "RequestLine.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QSerialPort>
#include <QString>

// korvelctl's diagnostics, both off unless asked for: the exchanges' own
// log ("korvel.exchange") and the frames on the line ("korvel.frames").
Q_DECLARE_LOGGING_CATEGORY(CtlExchangeLog)
Q_DECLARE_LOGGING_CATEGORY(CtlFramesLog)

// Turns the frame trace on or off; QT_LOGGING_RULES still has the last word.
void ShowFrames(bool On);

class CtlLine : public RequestLine
{
public:
    CtlLine() { Since.start(); }

    static constexpr int ReplyLimitMs = 1500;

    // Opens the port at 8N1 without flow control. On failure *Error says
    // why in one line (missing, busy, no permission).
    bool Open(const QString &Port, int Baud, QString *Error);
    bool SetBaud(int Baud);
    void SetWaitLimitMs(int Ms) { WaitMs = Ms; }
    int WaitLimitMs() const override { return WaitMs; }
    // Whether any byte came back to the last request.
    bool Heard() const { return LastHeard; }

    QByteArray Transact(const QByteArray &Request, quint8 ExpectedLength) override;
    QString SendFailure() const override { return NotSent; }

private:
    void KeepSilence();
    bool Gone() const;
    QString GoneText() const;
    void Trace(char Direction, const QByteArray &Bytes, const QString &Note = QString()) const;
    void TraceReply(const QByteArray &Reply, int ExpectedLength) const;

    QSerialPort Port;
    int Baud = 9600;
    int WaitMs = ReplyLimitMs;
    bool LastHeard = false;
    QString NotSent; // why the last request did not go out whole
    QElapsedTimer Since; // the start of the command, for the trace
    QElapsedTimer Quiet; // since the last byte seen on the line
};

#endif
