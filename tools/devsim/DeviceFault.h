#ifndef KORVEL_DEVICEFAULT_H
#define KORVEL_DEVICEFAULT_H

// The faults the simulated device plays on demand, and their command-line
// form.

#include <QString>

// A fault the device plays on demand, on every answered request or only on
// the Nth (counted from 1 over the requests addressed to the device).
struct DeviceFault
{
    enum Kind {
        Silence,    // no reply; the request is not carried out
        BadCrc,     // the reply's CRC is damaged
        ShortReply, // the reply loses its last Arg bytes (default 1)
        ExtraBytes, // Arg bytes 0xFF follow the reply (default 1)
        Chunks,     // the reply goes out in pieces of Arg bytes (default 2), Arg2 ms apart (default 20)
        Slow,       // the reply starts Arg ms late (default 2000)
        WrongCount, // a read reply claims two bytes more; a multiple-write echo one register more
        EchoValue,  // a single-register write is echoed with value Arg (default: written value + 1)
        CommitCode, // a commit is echoed with code Arg (default 0)
        Exception,  // exception reply with code Arg (default 4); the request is not carried out
        HangUp,     // the line is hung up instead of a reply; the request is not carried out
    };
    static constexpr int KindCount = HangUp + 1;

    Kind What = Silence;
    int Nth = 0;   // 0: every answered request
    int Arg = -1;  // -1: the kind's default
    int Arg2 = -1;

    bool AppliesTo(int Transaction) const { return Nth == 0 || Nth == Transaction; }

    // KIND[=ARG[,ARG2]][@N], for instance "silence", "chunks=3,50@2",
    // "exception=2@1". Numbers may be given in hex with 0x.
    static bool Parse(const QString &Text, DeviceFault &Out, QString *Error);
    QString ToString() const;
    // One line per kind, for the program's help.
    static QString Usage();
};

#endif
