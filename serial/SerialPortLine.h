#ifndef KORVEL_SERIALPORTLINE_H
#define KORVEL_SERIALPORTLINE_H

// The window's way of waiting for a reply: MySerialPort::SendAndWait, in
// pauses of 50 ms during which the window goes on working.

#include "RequestLine.h"
#include "MySerialPort.h"

class SerialPortLine : public RequestLine
{
public:
    explicit SerialPortLine(MySerialPort &Port) : Port(Port) {}

    QByteArray Transact(const QByteArray &Request, quint8 ExpectedLength) override
    {
        return Port.SendAndWait(Request, ExpectedLength);
    }

    int WaitLimitMs() const override
    {
        return MySerialPort::WaitPauses * MySerialPort::PauseStepMs;
    }

private:
    MySerialPort &Port;
};

#endif
