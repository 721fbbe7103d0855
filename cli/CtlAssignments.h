#ifndef KORVEL_CTLASSIGNMENTS_H
#define KORVEL_CTLASSIGNMENTS_H

// The parameters of set and apply params: NAME=VALUE words with the names,
// ranges and order of a parameter file. BaudRate also takes the line speed in Bd, which no item
// index can be mistaken for.

#include "DeviceExchange.h"

#include <QStringList>

namespace CtlAssignments {

// The parameters in register-map order; on failure *Error says in one
// line what is wrong with which word. AnyValue takes any register value
// outside the window's range too; a ModbusID no bus address is refused
// either way.
bool Parse(const QStringList &Words, ParamList *Params, QString *Error, bool AnyValue = false);

} // namespace CtlAssignments

#endif
