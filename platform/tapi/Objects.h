// The process's TAPI sessions: applications (HLINEAPP), open lines (HLINE)
// and calls (HCALL) in tables under one lock. Handle values are DWORDs that
// are never reused, so a stale handle fails with TAPI's "invalid handle"
// code instead of reaching a newer object. The modem provider's ports are
// shared by every open line of the same device and closed with the last one.
#pragma once

#include "tapi/LineCatalog.h"
#include "tapi/MessageQueue.h"
#include "tapi/OwnedHandle.h"

#include <tapi.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace plat::tapi {

// A COM port as the modem provider holds it while lines on it are open:
// opened exclusively and overlapped by lineOpenA, closed with the last line.
struct ProviderPort {
    std::string name;
    OwnedHandle handle;
    HCALL activeCall = 0; // the call that uses the modem until it is idle
};

struct App {
    HLINEAPP handle = 0;
    std::vector<LineDevice> devices; // device ID = index
    MessageQueue queue;
    std::set<HLINE> lines;
};

struct Line {
    HLINE handle = 0;
    HLINEAPP app = 0;
    DWORD deviceId = 0;
    LineDevice device;
    DWORD apiVersion = 0;
    DWORD_PTR callbackInstance = 0;
    DWORD privileges = 0;
    DWORD mediaModes = 0;
    DWORD lineStates = 0;
    DWORD addressStates = 0;
    std::shared_ptr<ProviderPort> port; // null for a line without a port
    std::set<HCALL> calls;
};

struct Call {
    ~Call();

    HCALL handle = 0;
    HLINE line = 0;
    HLINEAPP app = 0;
    DWORD_PTR callbackInstance = 0;
    DWORD apiVersion = 0;
    std::shared_ptr<ProviderPort> port;
    DWORD state = 0;
    DWORD stateMode = 0;
    SYSTEMTIME stateEntered{};
    DWORD bearerMode = 0;
    DWORD mediaMode = 0;
    std::string destination;
    std::string displayableAddress;

    // The modem dialog of a dialled call runs on a thread of its own.
    std::thread dialer;
    std::atomic<bool> abort{false};
    bool dialing = false;   // the dialer still talks to the modem
    LONG dropRequest = 0;   // a lineDrop waiting for the dialer to stop
    bool removed = false;   // no longer in the tables: post nothing more
};

struct Sessions {
    std::mutex mutex;
    std::map<HLINEAPP, std::shared_ptr<App>> apps;
    std::map<HLINE, std::shared_ptr<Line>> lines;
    std::map<HCALL, std::shared_ptr<Call>> calls;
    std::map<std::string, std::weak_ptr<ProviderPort>> ports; // by upper-cased port name
    DWORD nextHandle = 0x10001;
    LONG nextRequest = 1;
};

Sessions& TheSessions();

// ---- with the lock held ----------------------------------------------------------
DWORD NewHandleLocked(Sessions& s);
LONG NewRequestLocked(Sessions& s);
void PostLocked(Sessions& s, HLINEAPP app, const LINEMESSAGE& message);
// `callOut` (lineMakeCallA's lphCall) receives `call` when the application
// takes the reply.
void PostReplyLocked(Sessions& s, HLINEAPP app, LONG request, LONG result, HCALL* callOut = nullptr,
                     HCALL call = 0);
// Moves the call to a new state and tells its application; an idle call
// gives the modem free for the next call.
void SetCallStateLocked(Sessions& s, Call& call, DWORD state, DWORD mode);

// Objects taken out of the tables; destroying them (after the lock is
// released) stops the dialers of their calls and closes the ports.
struct Detached {
    std::vector<std::shared_ptr<Call>> calls;
    std::vector<std::shared_ptr<Line>> lines;
    std::shared_ptr<App> app;
    ~Detached();
};
void DetachCallLocked(Sessions& s, HCALL call, Detached* out);
void DetachLineLocked(Sessions& s, HLINE line, Detached* out);
void DetachAppLocked(Sessions& s, HLINEAPP app, Detached* out);

// Ends every session (a new machine was loaded).
void ShutdownAll();

} // namespace plat::tapi
