// The applet library's application object: it holds the language in
// which the applet shows its name and description.
#pragma once

#include <afxwin.h>

class CQuillsetApp : public CWinApp {
public:
    CQuillsetApp();

    // CPL_INIT: the user's UI language (or, without one, the user's default
    // language) in its default sublanguage; simplified Chinese stays.
    void InitLanguage();

    // The language asked for by InitLanguage, a LANGID; 0 until then.
    DWORD m_wLangID;

    DECLARE_MESSAGE_MAP()
};

extern CQuillsetApp theApp;
