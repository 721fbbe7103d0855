#ifndef KORVEL_EXCHANGEFAULT_H
#define KORVEL_EXCHANGEFAULT_H

// What went wrong in an exchange with the device, as a code with the
// transaction it happened in, and the one text every caller shows for it.

#include <QString>
#include <QtGlobal>

// One transaction on the line: what it does and to which registers.
struct Transaction
{
    enum class Kind { ParamRead, ParamWrite, Commit, EidRead, EidWrite };

    Kind What = Kind::ParamRead;
    int Register = 0; // the parameter's, the block's first, or the command register
    int Count = 1;    // the EIDs of a block; the code of a commit
    int Block = 0;    // a block's number, from 0
    int Value = 0;    // the value a parameter write sends
    QString Name;     // a parameter's name
    // A parameter write's echo must hold Value even at 0x00, where the
    // window takes what the device echoes as what it keeps. A device
    // addressed by its own address is always held to it.
    bool StrictEcho = false;

    bool IsWrite() const { return What == Kind::ParamWrite || What == Kind::EidWrite; }
};

enum class FaultCode {
    None,
    InvalidRequest, // refused before anything was sent
    PortRefused,    // the line did not take the request's bytes
    NoReply,        // nothing arrived within the wait
    Short,          // fewer bytes than the reply has, within the wait
    TooLong,        // more bytes than the reply has
    BadCrc,
    Exception,      // a Modbus exception reply; Got is its code
    OtherAddress,   // a reply from another device; Got is its address
    WrongCount,     // a byte count or register count other than asked for
    WrongFunction,  // a reply with another function code than the request's
    WrongEcho,      // a write echoed with another register or value
    CommitRefused,  // the commit echoed with another code
    Unreadable,     // a whole frame too short to hold its fields
    Framing,        // the line refused the reply's framing (a gateway's header); Reason says how
};

struct ExchangeFault
{
    FaultCode Code = FaultCode::None;
    Transaction Where;
    bool InTransaction = false; // false for a request refused before sending
    int Got = 0;                // what arrived (bytes, address, count, code, function, echo)
    int Expected = 0;           // what the reply had to hold
    bool EchoOfRegister = false; // WrongEcho: the register differs, not the value
    int WaitMs = 0;             // the longest the line waited
    QString Reason;             // the request's or the line's own words

    bool Failed() const { return Code != FaultCode::None; }
};

// The fault's and the transaction's names for machines: "no-reply",
// "bad-crc", ...; "param-read", "commit", ...
QString FaultName(FaultCode Code);
QString KindName(Transaction::Kind What);

// "reading RfSf (register 40304)", "writing EID block 2 (entries 26 to 50,
// registers 47051 to 47100)", "commit with code 6 (register 40001)".
QString TransactionText(const Transaction &Where);
// The fault alone: "no reply within 1.5 s", "bad CRC", ...
QString FaultText(const ExchangeFault &Fault);
// Both, as an operator reads them: "reading RfSf (register 40304): bad CRC";
// the fault alone for a request refused before sending.
QString Describe(const ExchangeFault &Fault);

#endif
