#ifndef KORVEL_CTLLINE_H
#define KORVEL_CTLLINE_H

// korvelctl's serial line: a local port (ttyUSB0, COM3, a path) at the
// speed asked, 8N1.

#include "StreamLine.h"

#include <QSerialPort>
#include <QString>

class CtlLine : public StreamLine
{
    Q_DECLARE_TR_FUNCTIONS(CtlLine)

public:
    explicit CtlLine(const QString &Name = QString());

    // Opens the port at 8N1 without flow control. On failure *Error says
    // why in one line (missing, busy, no permission).
    bool Open(int Baud, QString *Error) override;
    bool Open(const QString &Name, int Baud, QString *Error);
    bool SetBaud(int Baud) override;

protected:
    QIODevice &Device() override { return Port; }
    bool Send(const QByteArray &Frame, QString *Why) override;
    void Flush() override;
    QString GoneDuringWait() const override;

private:
    bool Gone() const;
    QString GoneText() const;

    QString Name;
    QSerialPort Port;
};

#endif
