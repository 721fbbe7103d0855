#ifndef KORVEL_TESTPORTS_H
#define KORVEL_TESTPORTS_H

#include <QStringList>

// The ports a scan finds in a test program. Linked into every suite: from
// before main() on, a scan tries only the names offered here (none at
// first), so no test opens a serial device of the machine. The one test of
// the real scan runs only with KORVEL_TEST_REAL_PORTS=1.
namespace TestPorts {

// The names the next scans try, in this order.
void Offer(const QStringList &Names);
// True when the machine's own ports may be opened.
bool RealPortsAsked();
// Scans the machine's ports until the guard goes; only when asked for.
class MachineScan
{
public:
    MachineScan();
    ~MachineScan();
};

} // namespace TestPorts

#endif
