#include "modemfw/Firmware.h"

#include <cctype>

namespace plat::modemfw {
namespace {

constexpr size_t kMaxLine = 255;

} // namespace

Firmware::Firmware(ModemSettings settings) : m_settings(std::move(settings)), m_executor(m_settings)
{
    m_executor.Reset(&m_state);
}

TimePoint Firmware::After(TimePoint base, double modemMs) const
{
    double us = modemMs * m_settings.timeScale * 1000.0;
    return base + std::chrono::duration_cast<TimePoint::duration>(std::chrono::microseconds(static_cast<long long>(us)));
}

void Firmware::Echo(std::string_view bytes)
{
    if (m_state.echo)
        m_output += bytes;
}

void Firmware::Receive(std::string_view bytes, TimePoint now)
{
    Tick(now);
    for (char c : bytes)
        ReceiveByte(c, now);
    Tick(now);
}

void Firmware::ReceiveByte(char c, TimePoint now)
{
    switch (m_mode) {
    case Mode::Gone:
        return;
    case Mode::Loopback:
        // The LF behind the command's CR may arrive after the command has
        // been answered; it is no data byte for the loop.
        if (c == static_cast<char>(m_state.s[4]))
            return;
        if (m_settings.loopback)
            m_output += c;
        m_mode = Mode::Command;
        return;
    case Mode::Busy:
        if (m_answered) {
            m_heldInput += c;
            return;
        }
        // A key pressed while dialling ends the call attempt; the LF that
        // follows the command's CR is not a key press.
        if (m_abortable && c != static_cast<char>(m_state.s[4])) {
            m_plan.clear();
            m_abortable = false;
            m_mode = Mode::Command;
            m_output += FrameResult(ResultCode::NoCarrier, m_state.framing);
        }
        return;
    case Mode::Online:
        OnlineByte(c, now);
        return;
    case Mode::Command:
        CommandByte(c, now);
        return;
    }
}

void Firmware::CommandByte(char c, TimePoint now)
{
    const char cr = static_cast<char>(m_state.s[3]);
    const char bs = static_cast<char>(m_state.s[5]);
    if (!m_inLine) {
        // Bytes before an 'A' are no command and are not echoed.
        if (c == 'A' || c == 'a') {
            m_inLine = true;
            m_overflow = false;
            m_line.assign(1, c);
            Echo(std::string_view(&c, 1));
        }
        return;
    }
    if (m_line.size() == 1 && c == '/') {
        // "A/" repeats the last command line at once.
        Echo("/\r");
        m_inLine = false;
        if (!m_lastLine.empty())
            RunLine(m_lastLine, now);
        return;
    }
    if (c == cr) {
        Echo(std::string_view(&c, 1));
        m_inLine = false;
        std::string normalised = NormaliseCommand(m_line);
        if (normalised.size() < 2 || normalised.compare(0, 2, "AT") != 0)
            return; // not a command line
        if (m_overflow) {
            m_output += FrameResult(ResultCode::Error, m_state.framing);
            return;
        }
        m_lastLine = m_line;
        RunLine(m_line, now);
        return;
    }
    if (c == bs) {
        Echo("\b \b");
        m_line.pop_back();
        m_inLine = !m_line.empty();
        return;
    }
    Echo(std::string_view(&c, 1));
    if (m_line.size() < kMaxLine)
        m_line += c;
    else
        m_overflow = true;
}

void Firmware::OnlineByte(char c, TimePoint now)
{
    // The escape: S2 three times, with S12 fiftieths of a second of silence
    // before the first and after the last.
    const auto guard = After(TimePoint{}, m_state.s[12] * 20.0) - TimePoint{};
    bool quietBefore = now - m_lastData >= guard;
    if (c == static_cast<char>(m_state.s[2]) && (m_plusCount > 0 ? now - m_lastData < guard : quietBefore)) {
        if (++m_plusCount == 3)
            m_escapeAt = now + guard;
    } else {
        m_plusCount = 0;
        m_escapeAt.reset();
    }
    m_lastData = now;
}

std::vector<Fault> Firmware::FaultsFor(const std::string& line)
{
    std::vector<Fault> hits;
    for (const std::string& key : {std::string("*"), line}) {
        auto it = m_settings.faults.find(key);
        if (it == m_settings.faults.end())
            continue;
        for (size_t i = 0; i < it->second.size(); ++i) {
            const Fault& f = it->second[i];
            int& used = m_faultUses[key + "#" + std::to_string(i)];
            if (f.count >= 0 && used >= f.count)
                continue;
            ++used;
            hits.push_back(f);
        }
    }
    return hits;
}

void Firmware::RunLine(const std::string& raw, TimePoint now)
{
    std::string line = NormaliseCommand(raw);
    Outcome outcome = m_executor.Execute(line, &m_state);
    std::vector<Step> steps = PlanReply(outcome, FaultsFor(line), m_state.framing);
    m_plan.clear();
    for (const Step& step : steps)
        m_plan.push_back(Scheduled{After(now, step.atMs), step.bytes, step.effect, step.answer});
    m_abortable = outcome.abortable;
    m_answered = false;
    m_modeAfterPlan = Mode::Command;
    m_mode = Mode::Busy;
}

void Firmware::RunDueSteps(TimePoint now)
{
    while (m_mode == Mode::Busy && !m_plan.empty() && m_plan.front().at <= now) {
        Scheduled step = std::move(m_plan.front());
        m_plan.pop_front();
        m_output += step.bytes;
        m_answered = m_answered || step.answer;
        m_planEnded = step.at;
        switch (step.effect) {
        case Effect::None:
            break;
        case Effect::Online:
            m_state.connected = true;
            m_modeAfterPlan = Mode::Online;
            m_lastData = step.at;
            m_plusCount = 0;
            break;
        case Effect::Loopback:
            m_modeAfterPlan = Mode::Loopback;
            break;
        case Effect::Gone:
            m_plan.clear();
            m_heldInput.clear();
            m_mode = Mode::Gone;
            return;
        }
        if (m_plan.empty())
            m_mode = m_modeAfterPlan;
    }
    if (m_mode == Mode::Busy && m_plan.empty())
        m_mode = m_modeAfterPlan;
}

void Firmware::Tick(TimePoint now)
{
    RunDueSteps(now);
    // Input held while the modem was sending is read as if it came the
    // moment the sending ended; it may start a command of its own.
    while (m_mode != Mode::Busy && m_mode != Mode::Gone && !m_heldInput.empty()) {
        std::string held;
        held.swap(m_heldInput);
        m_answered = false;
        for (char c : held)
            ReceiveByte(c, m_planEnded);
        RunDueSteps(now);
    }
    if (m_mode == Mode::Online && m_escapeAt && *m_escapeAt <= now) {
        m_escapeAt.reset();
        m_plusCount = 0;
        m_mode = Mode::Command; // still connected: ATO goes back, ATH hangs up
        m_output += FrameResult(ResultCode::Ok, m_state.framing);
    }
}

std::string Firmware::TakeOutput()
{
    std::string out;
    out.swap(m_output);
    return out;
}

std::optional<TimePoint> Firmware::NextDeadline() const
{
    if (m_mode == Mode::Busy && !m_plan.empty())
        return m_plan.front().at;
    if (m_mode == Mode::Online && m_escapeAt)
        return m_escapeAt;
    return std::nullopt;
}

void Firmware::DropDtr()
{
    if (m_mode == Mode::Gone)
        return;
    m_plan.clear();
    m_abortable = false;
    m_answered = false;
    m_heldInput.clear();
    m_escapeAt.reset();
    m_plusCount = 0;
    m_inLine = false;
    m_state.connected = false;
    m_mode = Mode::Command;
}

} // namespace plat::modemfw
