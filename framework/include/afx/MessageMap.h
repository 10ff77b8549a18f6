// Message maps: the table of messages a class handles, searched from the
// most derived class to its bases.
//
//   class CMyThread : public CWinThread { ... DECLARE_MESSAGE_MAP() };
//   BEGIN_MESSAGE_MAP(CMyThread, CWinThread)
//       ON_THREAD_MESSAGE(WM_MY_STOP, OnMyStop)
//   END_MESSAGE_MAP()
//
// A handler is named as a member, without '&': OnMyStop or CWinApp::OnHelp.
// Each entry becomes a small function that calls the handler with its own
// signature, so a handler with a wrong signature does not compile.
#pragma once

#include "afx/Object.h"

class CCmdTarget;

enum AfxSig : UINT {
    AfxSig_end = 0,
    AfxSig_window,  // window message: ON_MESSAGE, ON_WM_*
    AfxSig_thread,  // thread message: ON_THREAD_MESSAGE
    AfxSig_command, // WM_COMMAND with a command id: ON_COMMAND
};

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nID; // the command id of ON_COMMAND entries
    AfxSig nSig;
    LRESULT (*pfn)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                          \
protected:                                             \
    static const AFX_MSGMAP* GetThisMessageMap();      \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                           \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }    \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                      \
    {                                                                                    \
        using ThisClass [[maybe_unused]] = theClass;                                     \
        using TheBaseClass = baseClass;                                                  \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                \
            {0, 0, AfxSig_end, nullptr}};                                                \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
        return &messageMap;                                                              \
    }

// void OnX(WPARAM, LPARAM), for messages posted to a CWinThread.
#define ON_THREAD_MESSAGE(message, memberFxn)                                            \
    {static_cast<UINT>(message), 0, AfxSig_thread,                                       \
     [](CCmdTarget* target, WPARAM wParam, LPARAM lParam) -> LRESULT {                   \
         static_cast<ThisClass*>(target)->memberFxn(wParam, lParam);                     \
         return 0;                                                                       \
     }},

// LRESULT OnX(WPARAM, LPARAM), for messages sent or posted to a window.
#define ON_MESSAGE(message, memberFxn)                                                   \
    {static_cast<UINT>(message), 0, AfxSig_window,                                       \
     [](CCmdTarget* target, WPARAM wParam, LPARAM lParam) -> LRESULT {                   \
         return static_cast<ThisClass*>(target)->memberFxn(wParam, lParam);              \
     }},

// void OnX(), for a WM_COMMAND with the command id.
#define ON_COMMAND(id, memberFxn)                                                        \
    {WM_COMMAND, static_cast<UINT>(id), AfxSig_command,                                  \
     [](CCmdTarget* target, WPARAM, LPARAM) -> LRESULT {                                 \
         static_cast<ThisClass*>(target)->memberFxn();                                   \
         return 0;                                                                       \
     }},

// void OnSysCommand(UINT nID, LPARAM lParam)
#define ON_WM_SYSCOMMAND()                                                               \
    {WM_SYSCOMMAND, 0, AfxSig_window,                                                    \
     [](CCmdTarget* target, WPARAM wParam, LPARAM lParam) -> LRESULT {                   \
         static_cast<ThisClass*>(target)->OnSysCommand(static_cast<UINT>(wParam), lParam); \
         return 0;                                                                       \
     }},

// void OnClose()
#define ON_WM_CLOSE()                                                                    \
    {WM_CLOSE, 0, AfxSig_window, [](CCmdTarget* target, WPARAM, LPARAM) -> LRESULT {     \
         static_cast<ThisClass*>(target)->OnClose();                                     \
         return 0;                                                                       \
     }},

// void OnDestroy()
#define ON_WM_DESTROY()                                                                  \
    {WM_DESTROY, 0, AfxSig_window, [](CCmdTarget* target, WPARAM, LPARAM) -> LRESULT {   \
         static_cast<ThisClass*>(target)->OnDestroy();                                   \
         return 0;                                                                       \
     }},

// The base of every class with a message map.
class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)

public:
    // Finds the first entry of the given kind for the message (and, for
    // commands, the id) in this object's map or its bases' maps.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(AfxSig kind, UINT message, UINT id) const;

    // Runs the WM_COMMAND handler for the id; FALSE when none is mapped.
    virtual BOOL OnCmdMsg(UINT nID);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};
