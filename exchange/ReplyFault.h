#ifndef KORVEL_REPLYFAULT_H
#define KORVEL_REPLYFAULT_H

// Whether the reply to one transaction is taken, and if not why, in words
// for an operator. Pure functions, like the frames they judge.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace ReplyFault {

enum class Kind { ParamRead, ParamWrite, Commit, EidRead, EidWrite };

// What a reply is held to: its kind, and the number of EIDs in a block or
// the commit code.
struct Check
{
    Kind What;
    int Count;
};

// The reply tests of the kind; a device named by its own address (not
// ModbusRtu::DeviceAddress) must also answer as it.
bool Passes(const QByteArray &Reply, const Check &Test, quint8 Address);

// Why a reply that did not pass was refused: "no reply within 1.5 s",
// "bad CRC", ... WaitLimitMs is the longest the line waited for it.
QString Describe(const QByteArray &Reply, const Check &Test, quint8 ExpectedLength,
                 quint8 Address, int WaitLimitMs);

} // namespace ReplyFault

#endif
