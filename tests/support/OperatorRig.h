#ifndef KORVEL_OPERATORRIG_H
#define KORVEL_OPERATORRIG_H

#include "LogCapture.h"
#include "NoticeCatcher.h"
#include "OrvaneUI.h"
#include "PtyPair.h"
#include "SimPeer.h"

// The tool as an operator meets it: the real window, shown, with the
// simulated device on a pty. Notices are dismissed and kept; the tool's
// debug log is kept out of the test output.
class OperatorRig
{
public:
    OperatorRig();

    // Lists the pty as a scan would have, picks it and clicks «Открыть».
    // True when the window was built and shown, and the panel then reads
    // «Закрыть».
    bool OpenPort();

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
