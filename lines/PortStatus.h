#ifndef KORVEL_PORTSTATUS_H
#define KORVEL_PORTSTATUS_H

// Whether a serial port can be opened right now, as `korvelctl ports` shows
// it, and what a failed open means, for every korvelctl command. Qt 6 has no QSerialPortInfo::isBusy, and a lock file never told of a
// port held on Windows, so the port is opened and closed again at once, as
// the window's port scan does.

#include <QSerialPort>
#include <QString>

namespace PortStatus {

enum State {
    Free,     // opened and closed again
    Busy,     // another program holds it
    NoAccess, // no permission (on Unix: the device file's mode)
    Missing,  // no such port
    Failed,   // cannot be opened for another reason
};

// The one place where the ports command opens a port, given its system
// location (/dev/ttyUSB0, \\.\COM5); it never leaves the port open.
State Probe(const QString &Location);

// What a failed open means, from Qt's error and, on Unix, the device file.
State FromOpenError(QSerialPort::SerialPortError Why, const QString &Location);

// "free", "busy" or "no access" (also for a port missing or failing).
QString Text(State Status);

} // namespace PortStatus

#endif
