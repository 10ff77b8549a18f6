// Resource identifiers of the program (Ravlin.rc).
#pragma once

#define IDD_RAVLIN_DIALOG 102
#define IDR_MAINFRAME 128
