// Resource identifiers of the Control Panel applet (Quillset.rc).
#pragma once

#define IDS_APPLET_NAME 1
#define IDS_APPLET_HELP 2
#define IDS_APPLET_DESC 3

#define IDI_APPLET 2000
