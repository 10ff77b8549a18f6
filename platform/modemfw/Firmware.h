// The modem's firmware as a state machine over bytes and time: bytes from
// the port go in with the time they arrived, the modem's bytes come out as
// their time comes. It does no I/O and reads no clock, so tests drive it
// with made-up times; PtyModem runs it on a pseudo-terminal.
#pragma once

#include "modemfw/CommandExecutor.h"
#include "modemfw/FaultPlan.h"
#include "modemfw/ModemSettings.h"

#include <chrono>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace plat::modemfw {

using TimePoint = std::chrono::system_clock::time_point;

enum class Mode {
    Command,  // assembling command lines
    Busy,     // carrying out a command; its answer is still to come
    Online,   // connected: bytes are data
    Loopback, // AT&T1 done: the next byte comes back
    Gone,     // the port went away
};

class Firmware {
public:
    explicit Firmware(ModemSettings settings);

    // Bytes written to the port at `now`.
    void Receive(std::string_view bytes, TimePoint now);
    // Lets time pass up to `now`, sending what is due.
    void Tick(TimePoint now);
    // The modem's output so far, emptied by the call.
    std::string TakeOutput();
    // When Tick next has something to do; nullopt when only input can wake it.
    std::optional<TimePoint> NextDeadline() const;

    // The port was closed (DTR dropped): the modem hangs up and forgets the
    // command in progress, as with &D2.
    void DropDtr();

    Mode CurrentMode() const { return m_mode; }
    bool Gone() const { return m_mode == Mode::Gone; }
    const ModemState& State() const { return m_state; }
    const ModemSettings& Settings() const { return m_settings; }

private:
    struct Scheduled {
        TimePoint at;
        std::string bytes;
        Effect effect;
        bool answer;
    };

    void ReceiveByte(char c, TimePoint now);
    void RunDueSteps(TimePoint now);
    void CommandByte(char c, TimePoint now);
    void OnlineByte(char c, TimePoint now);
    void RunLine(const std::string& raw, TimePoint now);
    std::vector<Fault> FaultsFor(const std::string& line);
    TimePoint After(TimePoint base, double modemMs) const;
    void Echo(std::string_view bytes);

    ModemSettings m_settings;
    CommandExecutor m_executor;
    ModemState m_state;
    Mode m_mode = Mode::Command;

    std::string m_output;
    bool m_inLine = false;
    bool m_overflow = false;
    std::string m_line;
    std::string m_lastLine;

    std::deque<Scheduled> m_plan;
    bool m_abortable = false;
    // Once the answer is out, the rest of the plan is unsolicited output;
    // input meanwhile is held, as a modem buffers it while it transmits,
    // and read once the plan is done.
    bool m_answered = false;
    std::string m_heldInput;
    TimePoint m_planEnded{};
    Mode m_modeAfterPlan = Mode::Command;

    // Escape sequence ("+++" with guard times) while online.
    TimePoint m_lastData{};
    int m_plusCount = 0;
    std::optional<TimePoint> m_escapeAt;

    std::map<std::string, int> m_faultUses;
};

} // namespace plat::modemfw
