#ifndef KORVEL_PARAMPRESETS_H
#define KORVEL_PARAMPRESETS_H

#include <QtGlobal>

// Preset transmit and receive time-outs, three blocks of seven: the block by
// bandwidth index ("125", "250", "500"), the entry by spreading factor - 6.
// Every receive preset is one fifth of its transmit preset.
namespace ParamPresets {
constexpr qint32 TxTimeout[21] = {
    230, 370, 640, 1125, 1990, 3925, 6975,
    140, 210, 345, 590, 1020, 1990, 3515,
    95, 130, 200, 320, 535, 1020, 1785,
};
constexpr qint32 RxTimeout[21] = {
    46, 74, 128, 225, 398, 785, 1395,
    28, 42, 69, 118, 204, 398, 703,
    19, 26, 40, 64, 107, 204, 357,
};
} // namespace ParamPresets

#endif
