// Built against each library below the window alone: the protocol, the
// lines, korvelctl's and the simulator's. The build fails if a header it
// must not see is on its path, so nothing can come to depend on what lies
// above it: the window for all of them; the lines and the command line
// for the protocol; the command line for the lines.
#if __has_include("OrvaneUI.h") || __has_include("MySerialPort.h") || __has_include("ParamMap.h") \
    || __has_include("EidPaste.h") || __has_include("AppMain.h")
#error "the window's headers are on the path of a library below the window"
#endif
#if defined(KORVEL_BELOW_LINES) && (__has_include("StreamLine.h") || __has_include("LineFactory.h"))
#error "the lines' headers are on the protocol's path"
#endif
#if (defined(KORVEL_BELOW_LINES) || defined(KORVEL_LINES_ALONE)) \
    && (__has_include("Korvelctl.h") || __has_include("CtlCommands.h") || __has_include("CtlFiles.h"))
#error "the command line's headers are on the path of the protocol or the lines"
#endif
#include "DeviceExchange.h"
