#include "PortStatus.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace PortStatus {

State Probe(const QString &Location)
{
    QSerialPort Port;
    Port.setPortName(Location);
    if (Port.open(QIODevice::ReadWrite)) {
        Port.close();
        return Free;
    }
    return FromOpenError(Port.error(), Location);
}

State FromOpenError(QSerialPort::SerialPortError Why, const QString &Location)
{
#ifdef Q_OS_UNIX
    // Qt reports both a missing permission and another program's lock as a
    // permission error; the device file's mode tells them apart.
    const QFileInfo Device(Location);
    if (Why == QSerialPort::DeviceNotFoundError || !Device.exists())
        return Missing;
    if (!Device.isReadable() || !Device.isWritable())
        return NoAccess;
#else
    // Windows denies the open of a port another program holds. The location
    // (\\.\COM5) is no file whose mode could be asked.
    Q_UNUSED(Location);
    if (Why == QSerialPort::DeviceNotFoundError)
        return Missing;
#endif
    return Why == QSerialPort::PermissionError ? Busy : Failed;
}

QString Text(State Status)
{
    switch (Status) {
    //: A serial port's state in the list of korvelctl ports.
    case Free:
        return QCoreApplication::translate("PortStatus", "free");
    //: A serial port's state in the list of korvelctl ports.
    case Busy:
        return QCoreApplication::translate("PortStatus", "busy");
    case NoAccess:
    case Missing:
    case Failed:
        break;
    }
    //: A serial port's state in the list of korvelctl ports.
    return QCoreApplication::translate("PortStatus", "no access");
}

} // namespace PortStatus
