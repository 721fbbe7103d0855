#ifndef KORVEL_DEVICECORE_H
#define KORVEL_DEVICECORE_H
// Placeholder until the device simulator is built.
#endif
