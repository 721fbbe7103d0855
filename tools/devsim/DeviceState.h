#ifndef KORVEL_DEVICESTATE_H
#define KORVEL_DEVICESTATE_H

// The state file: the committed image of a simulated device as JSON, kept
// over a restart. DeviceCore::SaveState and LoadState give and take the
// JSON; these read and write the file.

#include <QString>

class DeviceCore;

// Loads Path into Device when the file exists, and checks that Path can be
// written, before anything is served: a file found unusable only at the
// end would lose every commit, and one that cannot be read must not be
// overwritten with the start values. False with *Error otherwise.
bool LoadStateFile(DeviceCore &Device, const QString &Path, QString *Error);

// Writes Device's committed image to Path through a temporary file beside it.
bool SaveStateFile(const DeviceCore &Device, const QString &Path, QString *Error);

#endif
