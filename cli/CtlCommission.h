#ifndef KORVEL_CTLCOMMISSION_H
#define KORVEL_CTLCOMMISSION_H

// The writes of parameters that follow the device (write params, set,
// apply params): a new ModbusID moves it to that address, a new BaudRate
// to that speed; a unit that takes the speed over only at a restart still
// answers at the old one, so a verify tries the new speed first, then the
// old.

#include "CtlContext.h"

namespace Korvelctl {

// Where a device answers once it takes Wanted over: its new address (a
// ModbusID no request can be addressed to leaves it 0x00 alone) and its new
// speed (an index outside the list names none: the line's). PlaceText says
// it: "address 33, 115200 Bd".
int NewAddress(const ParamList &Wanted, int Address);
int NewBaud(const ParamList &Wanted, int Baud);
QString PlaceText(int Address, int Baud);
// "2 parameters written and committed", the head of a write's summary.
QString ParamsWritten(int Count);
// Done, then where a verify found the device: at Baud, or still at Found,
// its old speed, with Baud to come at a restart.
QString VerifiedAt(const QString &Done, int Address, int Baud, int Found);

// A command that writes parameters and follows the device.
class FollowingCommand : public CtlCommand
{
    Q_DECLARE_TR_FUNCTIONS(FollowingCommand)

public:
    using CtlCommand::CtlCommand;

protected:
    // Verifying: the write reads back (--verify, apply).
    int CheckFixedSpeed(const ParamList &Wanted, bool Verifying);
    // The written values read back at Address, at *Baud first, then at
    // OpenedBaud; *Baud becomes the speed the device answered at.
    int VerifyFollowing(const ParamList &Wanted, int Address, int *Baud, const QString &Committed);

    int OpenedBaud = 0;  // the line's speed as a write found it
    int ServerSpeed = 0; // a fixed-speed line's server must be set to this to reach the radio again
};

} // namespace Korvelctl

#endif
