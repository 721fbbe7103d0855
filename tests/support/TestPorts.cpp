#include "TestPorts.h"

#include "MySerialPort.h"

namespace TestPorts {

namespace {
QStringList Offered;
// Set during static initialisation, ahead of any window a suite builds.
const bool Installed = (MySerialPort::ScanOnly = &Offered, true);
} // namespace

void Offer(const QStringList &Names)
{
    Offered = Names;
}

bool RealPortsAsked()
{
    return Installed && qgetenv("KORVEL_TEST_REAL_PORTS") == "1";
}

MachineScan::MachineScan()
{
    if (RealPortsAsked())
        MySerialPort::ScanOnly = nullptr;
}

MachineScan::~MachineScan()
{
    MySerialPort::ScanOnly = &Offered;
}

} // namespace TestPorts
