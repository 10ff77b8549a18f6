// SetupAPI: INF files and the device installer.
#pragma once

#include "windows.h"
#include "win/setupapi_inf.h"
#include "win/setupapi_dev.h"
