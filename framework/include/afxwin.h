// The application framework the system is written against: strings,
// message maps, threads with message loops, windows, dialogs and the
// application object. Each part lives in its own header below afx/.
#pragma once

#include <windows.h>

#include "afx/Defs.h"
#include "afx/Object.h"
#include "afx/String.h"
#include "afx/MessageMap.h"
#include "afx/WinThread.h"
#include "afx/Wnd.h"
#include "afx/Dialog.h"
#include "afx/WinApp.h"
