#ifndef KORVEL_DEVICESTATE_H
#define KORVEL_DEVICESTATE_H

// The state file: the committed image of a simulated device as JSON, kept
// over a restart. DeviceCore::SaveState and LoadState give and take the
// JSON; these read and write the file.

#include <QString>

class DeviceBus;
class DeviceCore;

// Loads Path into Device when the file exists, and checks that Path can be
// written, before anything is served: a file found unusable only at the
// end would lose every commit, and one that cannot be read must not be
// overwritten with the start values. False with *Error otherwise.
bool LoadStateFile(DeviceCore &Device, const QString &Path, QString *Error);

// Writes Device's committed image to Path through a temporary file beside it.
bool SaveStateFile(const DeviceCore &Device, const QString &Path, QString *Error);

// The same for every device on a line. One device keeps the file above;
// several keep {"Version": 1, "Devices": [STATE, ...]}, one state a device
// in the order of --devices, so that a bus of radios keeps its commits too.
bool LoadStateFile(DeviceBus &Bus, const QString &Path, QString *Error);
bool SaveStateFile(DeviceBus &Bus, const QString &Path, QString *Error);

#endif
