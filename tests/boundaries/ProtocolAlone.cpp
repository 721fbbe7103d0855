// Built against the protocol library alone (and against korvelctl's and
// the simulator's libraries): the build fails if the window's headers were
// on their path, so nothing below the window can come to depend on it.
#if __has_include("OrvaneUI.h") || __has_include("MySerialPort.h") || __has_include("ParamMap.h") \
    || __has_include("EidPaste.h") || __has_include("AppMain.h")
#error "the window's headers are on the path of a library below the window"
#endif
#include "DeviceExchange.h"
