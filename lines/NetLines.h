#ifndef KORVEL_NETLINES_H
#define KORVEL_NETLINES_H

// korvelctl's lines through a serial device server. TcpLine: the RTU frames
// as they are over TCP ("RTU over TCP"); the server's own setting fixes the
// line's speed, so the silence before a request is kept at the speed the
// URL names (?baud=N) or else at 9600 Bd, the factory setting (3.6 ms),
// which covers that speed and every faster one.
// Rfc2217Line: Telnet with COM port control; the client sets the speed and
// 8N1 on the server, the silence follows the speed set, and each 0xFF of a
// frame is doubled on the way out and undoubled on the way in.

#include "Rfc2217.h"
#include "StreamLine.h"

#include <QTcpSocket>

class TcpLine : public StreamLine
{
    Q_DECLARE_TR_FUNCTIONS(TcpLine)

public:
    // SilenceBaud 0: 9600.
    TcpLine(const QString &Host, quint16 Port, int SilenceBaud = 0);
    ~TcpLine() override;

    // Connects within ConnectLimitMs; Baud is not used: the server's own
    // setting holds.
    bool Open(int Baud, QString *Error) override;
    bool SetBaud(int Baud) override;
    bool FixedSpeed() const override { return true; }

protected:
    QIODevice &Device() override { return Socket; }
    QByteArray Receive() override;
    void Flush() override;
    QString ShortWrite(qint64 Taken, qint64 Size) const override
    {
        return tr("the connection took only %1 of %2 bytes").arg(Taken).arg(Size);
    }
    // What arrived, acknowledged at once.
    QByteArray TakeArrived();
    // "HOST:PORT", an IPv6 address in brackets.
    QString Where() const;
    bool Connect(QString *Error);

    QTcpSocket Socket;

private:
    QString Host;
    quint16 Port;
    bool QuickAck = false;
    bool QuickAckRefusalTold = false;
};

class Rfc2217Line : public TcpLine
{
    Q_DECLARE_TR_FUNCTIONS(Rfc2217Line)

public:
    Rfc2217Line(const QString &Host, quint16 Port) : TcpLine(Host, Port) {}

    // Connects and sets the speed and 8N1; a server that refuses COM port
    // control, or does not take the settings within ConnectLimitMs, fails.
    bool Open(int Baud, QString *Error) override;
    bool SetBaud(int Baud) override;
    bool FixedSpeed() const override { return false; }

protected:
    QByteArray Receive() override;
    QByteArray Encode(const QByteArray &Frame) override;

private:
    bool Settle(const QVector<Rfc2217::Setting> &Settings, int Baud, QString *Error);
    // False, with Why in *Error behind the server's address.
    bool Fail(const QString &Why, QString *Error) const;

    Rfc2217::Decoder Telnet;
    bool Opened = false;
};

#endif
