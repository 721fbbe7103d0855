#ifndef KORVEL_MBAP_H
#define KORVEL_MBAP_H

// Modbus TCP framing (the Modbus Messaging on TCP/IP Implementation Guide),
// as bytes only: an RTU request wrapped in an MBAP header for a gateway, and
// what the gateway sends back taken apart into the RTU reply the reply
// checks know. The header: a transaction identifier that pairs a reply with
// its request, the protocol identifier 0, the length of what follows it,
// and the unit identifier, which is the RTU address. No CRC: TCP checks.
// No connection here: the caller moves the bytes.

#include <QByteArray>
#include <QString>

namespace Mbap {

constexpr int HeaderLength = 7; // transaction, protocol and length (2 bytes each), unit
constexpr quint16 DefaultPort = 502;
// The length field counts the unit and the PDU: at least a unit and a
// function code, at most a unit and the longest PDU (253 bytes).
constexpr int MinLength = 2;
constexpr int MaxLength = 254;

// The RTU frame (address, PDU, CRC) as a gateway takes it: the address
// becomes the unit identifier, the CRC is left out.
QByteArray Wrap(const QByteArray &RtuFrame, quint16 Transaction);

// The replies of one request, in pieces as they arrive.
class Decoder
{
public:
    // A new request: the transaction and unit its reply must carry. What
    // is left of earlier replies is forgotten.
    void Expect(quint16 Transaction, quint8 Unit);

    // The RTU form (unit, PDU, CRC) of the reply to the request, once it is
    // whole; empty until then, and after a refusal.
    QByteArray Feed(const QByteArray &In);

    // Whether the reply came whole, or a frame was refused: no use waiting.
    bool Done() const { return Delivered || !Refusal.isEmpty(); }
    // Why a frame fitting no request was refused: another protocol, unit
    // or a length no reply can have; empty when none was.
    QString Refused() const { return Refusal; }
    // Frames that answered an earlier request (late replies), dropped.
    int Dropped() const { return DroppedCount; }
    quint16 LastDroppedTransaction() const { return DroppedTransaction; }
    // The bytes of a frame begun and not ended.
    int Pending() const { return Buffer.size(); }
    // What the header of that frame promised, 0 while no header is in.
    int Promised() const;
    // The whole MBAP frame of the reply, as it came.
    QByteArray Frame() const { return Whole; }

private:
    QByteArray Buffer;
    QByteArray Whole;
    QString Refusal;
    quint16 Transaction = 0;
    quint8 Unit = 0;
    bool Delivered = false;
    int DroppedCount = 0;
    quint16 DroppedTransaction = 0;
};

} // namespace Mbap

#endif
