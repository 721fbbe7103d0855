#include "ModbusTcpLine.h"

QByteArray ModbusTcpLine::Encode(const QByteArray &Frame)
{
    // Each request its own identifier, so that no late reply can pass for
    // the next one's.
    ++Transaction;
    const quint8 Unit = Frame.isEmpty() ? 0 : quint8(Frame.at(0));
    Gateway.Expect(Transaction, Unit);
    DroppedSeen = 0;
    LastRequest = Mbap::Wrap(Frame, Transaction);
    return LastRequest;
}

QByteArray ModbusTcpLine::Receive()
{
    const QByteArray Arrived = TakeArrived();
    const QByteArray Reply = Gateway.Feed(Arrived);
    if (Gateway.Dropped() > DroppedSeen) {
        DroppedSeen = Gateway.Dropped();
        Trace('<', QByteArray(), QStringLiteral("a late reply to request %1 dropped: not this request's (%2)")
                                     .arg(Gateway.LastDroppedTransaction())
                                     .arg(Transaction));
    }
    if (!Gateway.Refused().isEmpty())
        RefuseReply(Gateway.Refused());
    return Reply;
}

bool ModbusTcpLine::ReplyDone(const QByteArray &Reply, quint8 ExpectedLength) const
{
    // A whole frame is the whole reply, whatever its length: the header
    // said how long it is.
    return Gateway.Done() || TcpLine::ReplyDone(Reply, ExpectedLength);
}

void ModbusTcpLine::WaitEnded()
{
    if (!Gateway.Done() && Gateway.Promised() > 0)
        RefuseReply(tr("the gateway's frame holds %1 of the %2 bytes its header gives")
                        .arg(Gateway.Pending())
                        .arg(Gateway.Promised()));
}

QByteArray ModbusTcpLine::OnWire(const QByteArray &Frame, bool Request) const
{
    if (Request)
        return LastRequest;
    return Gateway.Frame().isEmpty() ? Frame : Gateway.Frame();
}
