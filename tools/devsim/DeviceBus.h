#ifndef KORVEL_DEVICEBUS_H
#define KORVEL_DEVICEBUS_H

// Simulated devices sharing one RS-485 line. Every device hears every
// request; each one addressed answers, so devices that share an address
// answer at once and their replies collide on the line. A broadcast (0x00)
// is answered by the first device alone. A device that plays its line
// speed hears only requests sent at that speed.

#include "DeviceCore.h"

#include <QVector>

#include <vector>

class DeviceBus
{
public:
    // One device with the factory image when Addresses is empty; otherwise
    // one device per address, each holding its address in ModbusID.
    explicit DeviceBus(const QVector<int> &Addresses = {});

    // As DeviceCore::Take, for the whole line, the request sent at LineBaud
    // (0: unknown, heard by the devices that do not play their speed).
    DeviceReply Take(const QByteArray &Pending, int LineBaud = 0);
    // Whether any device hears a request sent at LineBaud.
    bool Hears(int LineBaud) const;

    int Count() const { return int(Devices.size()); }
    DeviceCore &Device(int Index) { return Devices[size_t(Index)]; }
    // Every device plays the fault.
    void AddFault(const DeviceFault &Fault);
    // The devices' addresses, "17" or "5, 9, 9".
    QString Addresses() const;
    // The speeds the devices hear at, each once: "9600" or "9600, 115200".
    QString Speeds() const;

    // What the line carries when the devices send Replies at once.
    static DeviceReply Collide(const QList<DeviceReply> &Replies);

private:
    std::vector<DeviceCore> Devices;
};

#endif
