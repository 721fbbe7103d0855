#ifndef KORVEL_MODBUSTCPLINE_H
#define KORVEL_MODBUSTCPLINE_H

// korvelctl's line through a Modbus TCP gateway (modbus-tcp://HOST[:PORT]),
// which puts the RS-485 bus behind a Modbus TCP server: each request goes
// out in an MBAP header with a transaction identifier of its own and the
// RTU address as unit identifier, and only the reply carrying both, with
// protocol 0 and a length that holds, is taken; a late reply to an earlier
// request is dropped and named in the trace. The gateway's own setting
// fixes the bus's speed. The trace shows the frames as they went, headers
// included.

#include "Mbap.h"
#include "NetLines.h"

class ModbusTcpLine : public TcpLine
{
    Q_DECLARE_TR_FUNCTIONS(ModbusTcpLine)

public:
    // The gateway keeps the silence between frames on its bus: none here.
    ModbusTcpLine(const QString &Host, quint16 Port) : TcpLine(Host, Port) { SetSilenceBaud(0); }

protected:
    QByteArray Receive() override;
    QByteArray Encode(const QByteArray &Frame) override;
    bool ReplyDone(const QByteArray &Reply, quint8 ExpectedLength) const override;
    void WaitEnded() override;
    QByteArray OnWire(const QByteArray &Frame, bool Request) const override;

private:
    Mbap::Decoder Gateway;
    quint16 Transaction = 0;
    QByteArray LastRequest;
    int DroppedSeen = 0;
};

#endif
