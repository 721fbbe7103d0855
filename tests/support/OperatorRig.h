#ifndef KORVEL_OPERATORRIG_H
#define KORVEL_OPERATORRIG_H

#include "LogCapture.h"
#include "NoticeCatcher.h"
#include "OrvaneUI.h"
#include "PtyPair.h"
#include "SimPeer.h"

// The window on a simulated line: the real window, shown, with the
// simulated device on a pty. Notices are dismissed and kept; the tool's
// debug log is kept out of the test output.
class OperatorRig
{
public:
    OperatorRig();

    // Picks the pty, as the window's scan listed it, and clicks «Открыть».
    // True when the window was built and shown, and the panel then reads
    // «Закрыть».
    bool OpenPort();

    enum Exchange { ParamRead, ParamWrite, EidRead, EidWrite };
    // Shows the exchange's tab and clicks its button. Returns how many
    // notices it raised, all of them the link notice, or -1 for any other.
    int Run(Exchange What, qint64 *Took = nullptr);

    // The device holds Expected::DeviceValues and EID 7000 + slot.
    void LoadDevice();
    QList<int> DeviceParams(DeviceCore::Image Which);
    // The requests the device answered, in order.
    QList<QByteArray> Requests() const;
    bool ButtonsEnabled() const;

    // Declared in the order they are needed; the window goes first on the
    // way out, closing its port before the line goes away.
    LogCapture Quiet;
    PtyPair Pair;
    SimPeer Device;
    NoticeCatcher Notices;
    OrvaneUI Window;

private:
    bool Ready = false;
};

#endif
