#ifndef KORVEL_LINEFACTORY_H
#define KORVEL_LINEFACTORY_H

// The one place that knows every transport: a --port text, once read by
// ParseLineUrl, becomes its line. A new transport is a scheme in LineUrl,
// a subclass of StreamLine and a case here; nothing else changes.

#include "LineLock.h"
#include "LineUrl.h"
#include "StreamLine.h"

#include <memory>

// nullptr for a network line in a build without Qt Network.
std::unique_ptr<StreamLine> MakeLine(const LineUrl &Url);

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
    bool FixedSpeed() const { return Line && Line->FixedSpeed(); }
    void SetWaitLimitMs(int Ms);
    int WaitLimitMs() const override { return Line ? Line->WaitLimitMs() : Wait; }
    bool Heard() const { return Line && Line->Heard(); }
    QString SendFailure() const override { return Line ? Line->SendFailure() : QString(); }
    QString ReplyRefused() const override { return Line ? Line->ReplyRefused() : QString(); }
    QString Lost() const { return Line ? Line->Lost() : QString(); }
    QByteArray Transact(const QByteArray &Request, quint8 ExpectedLength) override;

private:
    LineLock Queue; // released after the line has closed: declared first
    std::unique_ptr<StreamLine> Line;
    int Wait = StreamLine::ReplyLimitMs;
    int QueueMs = 0;
    QString Holder;
};

#endif
