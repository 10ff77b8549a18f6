#include "tapi/Objects.h"

#include "core/Clock.h"

namespace plat::tapi {

Call::~Call()
{
    if (!dialer.joinable())
        return;
    abort = true;
    if (dialer.get_id() == std::this_thread::get_id())
        dialer.detach();
    else
        dialer.join();
}

Sessions& TheSessions()
{
    static Sessions* sessions = new Sessions; // lives until exit: dialer threads may still use it
    return *sessions;
}

DWORD NewHandleLocked(Sessions& s)
{
    return s.nextHandle++;
}

LONG NewRequestLocked(Sessions& s)
{
    LONG id = s.nextRequest;
    s.nextRequest = s.nextRequest == 0x7FFFFFFF ? 1 : s.nextRequest + 1;
    return id;
}

void PostLocked(Sessions& s, HLINEAPP app, const LINEMESSAGE& message)
{
    auto it = s.apps.find(app);
    if (it != s.apps.end())
        it->second->queue.Post(message);
}

void PostReplyLocked(Sessions& s, HLINEAPP app, LONG request, LONG result, HCALL* callOut, HCALL call)
{
    LINEMESSAGE message{};
    message.dwMessageID = LINE_REPLY;
    message.dwParam1 = static_cast<DWORD_PTR>(request);
    message.dwParam2 = static_cast<DWORD_PTR>(static_cast<DWORD>(result));
    auto it = s.apps.find(app);
    if (it != s.apps.end())
        it->second->queue.Post(message, callOut, call);
}

void SetCallStateLocked(Sessions& s, Call& call, DWORD state, DWORD mode)
{
    call.state = state;
    call.stateMode = mode;
    clock::LocalTime now = clock::ToLocal(clock::Now());
    call.stateEntered.wYear = static_cast<WORD>(now.tm.tm_year + 1900);
    call.stateEntered.wMonth = static_cast<WORD>(now.tm.tm_mon + 1);
    call.stateEntered.wDayOfWeek = static_cast<WORD>(now.tm.tm_wday);
    call.stateEntered.wDay = static_cast<WORD>(now.tm.tm_mday);
    call.stateEntered.wHour = static_cast<WORD>(now.tm.tm_hour);
    call.stateEntered.wMinute = static_cast<WORD>(now.tm.tm_min);
    call.stateEntered.wSecond = static_cast<WORD>(now.tm.tm_sec);
    call.stateEntered.wMilliseconds = static_cast<WORD>(now.milliseconds);
    if (state == LINECALLSTATE_IDLE && call.port && call.port->activeCall == call.handle)
        call.port->activeCall = 0;
    if (call.removed)
        return;
    LINEMESSAGE message{};
    message.hDevice = call.handle;
    message.dwMessageID = LINE_CALLSTATE;
    message.dwCallbackInstance = call.callbackInstance;
    message.dwParam1 = state;
    message.dwParam2 = mode;
    PostLocked(s, call.app, message);
}

Detached::~Detached()
{
    // Dialers end quickly once aborted; the lock is not held here, so a
    // dialer that is about to report its result can finish.
    for (auto& call : calls) {
        call->abort = true;
        if (call->dialer.joinable())
            call->dialer.join();
    }
    calls.clear();
    lines.clear(); // the last line of a port closes the port
    if (app)
        app->queue.Close();
}

void DetachCallLocked(Sessions& s, HCALL handle, Detached* out)
{
    auto it = s.calls.find(handle);
    if (it == s.calls.end())
        return;
    std::shared_ptr<Call> call = it->second;
    s.calls.erase(it);
    call->removed = true;
    if (call->port && call->port->activeCall == handle)
        call->port->activeCall = 0;
    if (auto line = s.lines.find(call->line); line != s.lines.end())
        line->second->calls.erase(handle);
    out->calls.push_back(std::move(call));
}

void DetachLineLocked(Sessions& s, HLINE handle, Detached* out)
{
    auto it = s.lines.find(handle);
    if (it == s.lines.end())
        return;
    std::shared_ptr<Line> line = it->second;
    for (HCALL call : std::set<HCALL>(line->calls))
        DetachCallLocked(s, call, out);
    s.lines.erase(it);
    if (auto app = s.apps.find(line->app); app != s.apps.end())
        app->second->lines.erase(handle);
    out->lines.push_back(std::move(line));
}

void DetachAppLocked(Sessions& s, HLINEAPP handle, Detached* out)
{
    auto it = s.apps.find(handle);
    if (it == s.apps.end())
        return;
    for (HLINE line : std::set<HLINE>(it->second->lines))
        DetachLineLocked(s, line, out);
    out->app = it->second;
    s.apps.erase(it);
}

void ShutdownAll()
{
    Sessions& s = TheSessions();
    std::vector<Detached> all;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        std::vector<HLINEAPP> apps;
        for (auto& [handle, app] : s.apps)
            apps.push_back(handle);
        all.resize(apps.size());
        for (size_t i = 0; i < apps.size(); ++i)
            DetachAppLocked(s, apps[i], &all[i]);
        s.ports.clear();
    }
}

} // namespace plat::tapi
