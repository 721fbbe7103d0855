#ifndef KORVEL_REPLYCHECK_H
#define KORVEL_REPLYCHECK_H

// The tests a reply must pass, one function for every kind of transaction:
// the tests run in the order the device protocol fixes, and the first one
// failed gives the fault. Pure functions, like the frames they judge.

#include "ExchangeFault.h"

#include <QByteArray>

namespace ReplyCheck {

// The length of the reply a transaction waits for.
quint8 ExpectedLength(const Transaction &Where);

// The fault of the reply to Where; Code None when the reply is taken. At
// ModbusRtu::DeviceAddress the window's tests (length, CRC, counts, a
// commit's code; a write's value only where Where.StrictEcho asks); a
// device named by its own address must also answer from it, with the
// request's function, and echo a write's register and value. The fault's
// wait is the caller's to add.
ExchangeFault Check(const QByteArray &Reply, const Transaction &Where, quint8 Address);

} // namespace ReplyCheck

#endif
