#ifndef KORVEL_CTLLINE_H
#define KORVEL_CTLLINE_H

// korvelctl's serial line: a request goes out once the line has been quiet
// for 3.5 character times, and the wait for its reply ends as soon as the
// reply is complete (or a Modbus exception reply is), at the latest after
// 1.5 s.

#include "DeviceExchange.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QString>

class CtlLine : public RequestLine
{
public:
    static constexpr int ReplyLimitMs = 1500;

    // Opens the port at 8N1 without flow control. On failure *Error says
    // why in one line (missing, busy, no permission).
    bool Open(const QString &Port, int Baud, QString *Error);
    bool SetBaud(int Baud);

    QByteArray Transact(const QByteArray &Request, quint8 ExpectedLength) override;
    int WaitLimitMs() const override { return ReplyLimitMs; }

private:
    void KeepSilence();

    QSerialPort Port;
    int Baud = 9600;
    QElapsedTimer Quiet; // since the last byte seen on the line
};

#endif
