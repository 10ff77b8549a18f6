#include "modemfw/CommandExecutor.h"

#include <cctype>
#include <cstdio>

namespace plat::modemfw {
namespace {

// S-register values after a reset, as Hayes modems keep them.
constexpr std::pair<int, int> kDefaultRegisters[] = {
    {2, 43}, {3, 13}, {4, 10}, {5, 8}, {6, 2}, {7, 50}, {8, 2}, {9, 6}, {10, 14}, {11, 95}, {12, 50},
};

bool isDigit(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// Reads an optional decimal number at `i`; false when there is none.
bool readNumber(const std::string& text, size_t* i, long* out)
{
    size_t start = *i;
    long value = 0;
    while (*i < text.size() && isDigit(text[*i])) {
        if (value < 100000000)
            value = value * 10 + (text[*i] - '0');
        ++*i;
    }
    *out = value;
    return *i > start;
}

} // namespace

void CommandExecutor::Reset(ModemState* state) const
{
    state->echo = m_settings.echo;
    state->framing = Framing{m_settings.verbose, m_settings.quiet};
    state->s.fill(0);
    for (auto [reg, value] : kDefaultRegisters)
        state->s[static_cast<size_t>(reg)] = value;
    for (auto [reg, value] : m_settings.sRegisters)
        state->s[static_cast<size_t>(reg)] = value;
    state->connected = false;
}

Outcome CommandExecutor::Error(const ModemState& state) const
{
    Outcome o;
    o.delayMs = m_settings.timing.commandMs;
    o.reply = FrameResult(ResultCode::Error, state.framing);
    return o;
}

Outcome CommandExecutor::Execute(const std::string& line, ModemState* state) const
{
    if (auto canned = m_settings.commands.find(line); canned != m_settings.commands.end()) {
        Outcome o;
        o.delayMs = m_settings.timing.commandMs;
        o.reply = FrameText(canned->second.text, state->framing);
        if (canned->second.result)
            o.reply += FrameResult(*canned->second.result, state->framing);
        return o;
    }

    Outcome o;
    o.delayMs = m_settings.timing.commandMs;
    std::string text; // information text gathered from the commands on the line
    std::optional<ResultCode> result = ResultCode::Ok;
    unsigned speed = 0;
    const std::string body = line.substr(2);
    size_t i = 0;
    while (i < body.size()) {
        char c = body[i++];
        long n = 0;
        switch (c) {
        case 'E':
        case 'Q':
        case 'V':
            readNumber(body, &i, &n);
            if (n > 1)
                return Error(*state);
            if (c == 'E')
                state->echo = n == 1;
            else if (c == 'Q')
                state->framing.quiet = n == 1;
            else
                state->framing.verbose = n == 1;
            break;
        case 'X':
        case 'M':
        case 'L':
            readNumber(body, &i, &n);
            if (n > (c == 'X' ? 4 : 3))
                return Error(*state);
            break;
        case 'H':
            readNumber(body, &i, &n);
            if (n > 1)
                return Error(*state);
            if (n == 0)
                state->connected = false;
            break;
        case 'Z':
            readNumber(body, &i, &n);
            if (n > 1)
                return Error(*state);
            Reset(state);
            o.delayMs += m_settings.timing.resetMs;
            i = body.size(); // the rest of the line is not looked at after a reset
            break;
        case 'I': {
            readNumber(body, &i, &n);
            auto entry = n <= 9 ? m_settings.identity.find(static_cast<int>(n)) : m_settings.identity.end();
            if (entry == m_settings.identity.end() || entry->second.result == ResultCode::Error)
                return Error(*state);
            text += FrameText(entry->second.text, state->framing);
            if (entry->second.result != ResultCode::Ok)
                result = entry->second.result;
            break;
        }
        case 'O':
            readNumber(body, &i, &n);
            if (!state->connected) {
                result = ResultCode::NoCarrier;
            } else {
                result = ResultCode::Connect;
                speed = m_settings.connectSpeed;
                o.effect = Effect::Online;
            }
            i = body.size();
            break;
        case 'A': {
            // Nobody calls in: the modem waits S7 seconds for a carrier.
            Outcome answer;
            answer.delayMs = state->s[7] * 1000.0;
            answer.reply = text + FrameResult(ResultCode::NoCarrier, state->framing);
            answer.abortable = true;
            return answer;
        }
        case 'D': {
            Outcome dial = Dial(body.substr(i), *state);
            dial.reply = text + dial.reply;
            return dial;
        }
        case 'S': {
            long reg = 0;
            if (!readNumber(body, &i, &reg) || reg > 255 || i >= body.size())
                return Error(*state);
            if (body[i] == '?') {
                ++i;
                char value[8];
                std::snprintf(value, sizeof(value), "%03d", state->s[static_cast<size_t>(reg)]);
                text += FrameText({value}, state->framing);
            } else if (body[i] == '=') {
                ++i;
                readNumber(body, &i, &n);
                if (n > 255)
                    return Error(*state);
                state->s[static_cast<size_t>(reg)] = static_cast<int>(n);
            } else {
                return Error(*state);
            }
            break;
        }
        case '&': {
            if (i >= body.size())
                return Error(*state);
            char what = body[i++];
            readNumber(body, &i, &n);
            if (what == 'F') {
                Reset(state);
                o.delayMs += m_settings.timing.resetMs;
            } else if (what == 'T') {
                if (!m_settings.vendorCommands.count("&T1") || n > 1)
                    return Error(*state);
                o.effect = n == 1 ? Effect::Loopback : Effect::None;
            } else if (what != 'C' && what != 'D' && what != 'K' && what != 'W' && what != 'Y') {
                return Error(*state);
            }
            break;
        }
        case '|': {
            std::string name;
            while (i < body.size() && std::isalpha(static_cast<unsigned char>(body[i])))
                name += body[i++];
            if (!m_settings.vendorCommands.count("|" + name) || i >= body.size() || body[i] != '=')
                return Error(*state);
            ++i;
            if (!readNumber(body, &i, &n))
                return Error(*state);
            if (name == "DMA") {
                o.delayMs += m_settings.timing.dmaMs;
                text += FrameText({m_settings.dmaPasses ? "PASS" : "FAIL"}, state->framing);
            } else if (name == "DT") {
                o.delayMs += static_cast<double>(n);
                if (!m_settings.dialTone) {
                    o.reply = text + FrameResult(ResultCode::NoDialtone, state->framing);
                    return o;
                }
                text += FrameText({"PASS"}, state->framing);
            } else { // LC
                o.delayMs += static_cast<double>(n);
                text += FrameText({"<LOOP CURRENT: " + std::to_string(m_settings.lineCurrent) + ">"},
                                  state->framing);
                text += FrameText({m_settings.lineCurrent > 0 ? "PASS" : "FAIL"}, state->framing);
            }
            break;
        }
        default:
            return Error(*state);
        }
    }
    o.reply = text;
    if (result)
        o.reply += FrameResult(*result, state->framing, speed);
    return o;
}

Outcome CommandExecutor::Dial(const std::string& dialString, const ModemState& state) const
{
    Outcome o;
    o.abortable = true;
    const double dialToneWait = std::max(state.s[6], 2) * 1000.0;
    const double carrierWait = state.s[7] * 1000.0;
    std::string number = NormaliseNumber(dialString);
    ResultCode code = ResultCode::NoCarrier;
    if (!m_settings.dialTone) {
        o.delayMs = dialToneWait;
        code = ResultCode::NoDialtone;
    } else if (number.empty()) {
        // Originate without a number: listen for a carrier, give up after S7.
        o.delayMs = carrierWait;
        code = ResultCode::NoCarrier;
    } else {
        auto listed = m_settings.numbers.find(number);
        DialOutcome outcome = listed == m_settings.numbers.end() ? m_settings.dialDefault : listed->second;
        double dialling = m_settings.timing.commandMs + static_cast<double>(number.size()) * m_settings.timing.dialDigitMs;
        switch (outcome) {
        case DialOutcome::Connect:
            o.delayMs = dialling + m_settings.timing.connectMs;
            code = ResultCode::Connect;
            o.effect = Effect::Online;
            break;
        case DialOutcome::Busy:
            o.delayMs = dialling + m_settings.timing.busyMs;
            code = ResultCode::Busy;
            break;
        case DialOutcome::NoAnswer:
            o.delayMs = dialling + carrierWait;
            code = ResultCode::NoAnswer;
            break;
        case DialOutcome::NoCarrier:
            o.delayMs = dialling + carrierWait;
            code = ResultCode::NoCarrier;
            break;
        case DialOutcome::NoDialtone:
            o.delayMs = dialToneWait;
            code = ResultCode::NoDialtone;
            break;
        }
    }
    o.reply = FrameResult(code, state.framing, code == ResultCode::Connect ? m_settings.connectSpeed : 0);
    return o;
}

} // namespace plat::modemfw
