#include "DeviceCore.h"
