#ifndef KORVEL_RFC2217_H
#define KORVEL_RFC2217_H

// Telnet with the COM port control option (RFC 854, RFC 2217), the client's
// side, as bytes only: what goes out (the line's data with 0xFF doubled,
// the option requests, the line settings) and what comes back taken apart
// (the line's data with 0xFF undoubled, the server's option answers, its
// replies to the settings). No connection here: the caller moves the bytes.

#include <QByteArray>
#include <QString>
#include <QVector>

#include <bitset>

namespace Rfc2217 {

enum Byte : quint8 {
    Se = 240,
    Sb = 250,
    Will = 251,
    Wont = 252,
    Do = 253,
    Dont = 254,
    Iac = 255,
};

enum OptionCode : quint8 {
    Binary = 0,
    SuppressGoAhead = 3,
    ComPortOption = 44,
};

// Client to server; the server answers with the code plus 100.
enum ComCommand : quint8 {
    SetBaudRate = 1,
    SetDataSize = 2,
    SetParity = 3,
    SetStopSize = 4,
    SetControl = 5,
    PurgeData = 12,
};
constexpr quint8 ServerReply = 100;
constexpr quint8 DataBits8 = 8;
constexpr quint8 ParityNone = 1;
constexpr quint8 OneStopBit = 1;
constexpr quint8 NoFlowControl = 1;  // SET-CONTROL: outbound flow control none
constexpr quint8 PurgeBoth = 3;      // PURGE-DATA: the server's receive and transmit buffers

// One line setting as the client asks it and the server confirms it.
struct Setting
{
    ComCommand Command;
    QByteArray Value;
};

// The line's data as it goes on the connection: each 0xFF doubled.
QByteArray Escape(const QByteArray &Data);
// What the client says first: binary both ways, no go-ahead, and that it
// will send COM port commands. The settings follow only once the server
// has agreed (DO COM-PORT-OPTION), as RFC 2217 has it.
QByteArray Opening();
// IAC SB COM-PORT-OPTION Code Value IAC SE, the value escaped.
QByteArray ComCommandBytes(quint8 Code, const QByteArray &Value);
// The speed, big-endian in 4 bytes.
QByteArray SpeedValue(quint32 Baud);
QByteArray SpeedCommand(quint32 Baud);
// The speed, 8 data bits, no parity, 1 stop bit, no flow control.
QVector<Setting> LineSettings(quint32 Baud);
QByteArray Commands(const QVector<Setting> &Settings);
// "8 data bits", "parity 2 (odd)": a setting as a message names it.
QString SettingText(quint8 Command, const QByteArray &Value);

// Takes apart what the server sends, in pieces as they arrive.
class Decoder
{
public:
    Decoder();

    // The line's data among In; negotiation is kept for Answers().
    QByteArray Feed(const QByteArray &In);
    // What the client must send in answer to the server's negotiation since
    // the last call (refusals of options it does not do, consents).
    QByteArray TakeAnswers();

    // The server refused COM port control (DONT or WONT COM-PORT-OPTION),
    // at any time ...
    bool Refused() const { return ComRefused; }
    // ... or took it (DO COM-PORT-OPTION).
    bool Accepted() const { return LocalOn[ComPortOption]; }
    // 8-bit data both ways (TRANSMIT-BINARY agreed in each direction), or
    // refused in either: without it a server may change CR and 0xFF bytes.
    bool BinaryBothWays() const { return LocalOn[Binary] && RemoteOn[Binary]; }
    bool BinaryRefused() const { return NoBinary; }
    // The server's replies to a COM port command so far, and the value of
    // the last one.
    int Replies(quint8 Command) const { return ReplyCount[Command]; }
    QByteArray LastReply(quint8 Command) const { return ReplyValue[Command]; }
    int SpeedReplies() const { return Replies(SetBaudRate); }
    quint32 LastSpeed() const;

private:
    enum class State { Data, Command, Option, Sub, SubCommand };

    void Negotiate(quint8 Verb, quint8 Option);
    void Subnegotiation();
    void Answer(quint8 Verb, quint8 Option);

    // Longest subnegotiation kept; what goes beyond is dropped unread.
    static constexpr int SubLimit = 64;

    State Now = State::Data;
    quint8 Verb = 0;
    QByteArray Sub;
    QByteArray Answers;
    std::bitset<256> LocalWanted, RemoteWanted; // options the client does
    std::bitset<256> LocalOn, RemoteOn;
    std::bitset<256> LocalAsked, RemoteAsked;   // requests not answered yet
    bool ComRefused = false;
    bool NoBinary = false;
    int ReplyCount[256] = {};
    QByteArray ReplyValue[256];
};

} // namespace Rfc2217

#endif
