// Carries out one AT command line: changes the modem's state and says what
// the modem answers and after how long. It knows nothing of bytes on the
// wire or of time passing; the firmware does that.
#pragma once

#include "modemfw/ModemSettings.h"
#include "modemfw/ResultCodes.h"

#include <array>
#include <string>

namespace plat::modemfw {

// The modem's changeable state (what ATZ restores).
struct ModemState {
    bool echo = true;
    Framing framing;
    std::array<int, 256> s{};
    bool connected = false;
};

// What happens to the modem's mode once its answer has been sent.
enum class Effect {
    None,
    Online,   // a connection is up: bytes are data until the escape sequence
    Loopback, // the next data byte is looped back (AT&T1)
    Gone,     // the port disappears (a fault)
};

struct Outcome {
    double delayMs = 0;   // modem milliseconds before the answer
    std::string reply;    // the framed answer
    Effect effect = Effect::None;
    bool abortable = false; // a byte from the port cancels it (dialling)
};

class CommandExecutor {
public:
    explicit CommandExecutor(const ModemSettings& settings) : m_settings(settings) {}

    // Restores the state that the settings define (ATZ, AT&F, power-on).
    void Reset(ModemState* state) const;

    // `line` is normalised and begins with "AT".
    Outcome Execute(const std::string& line, ModemState* state) const;

private:
    Outcome Dial(const std::string& dialString, const ModemState& state) const;
    Outcome Error(const ModemState& state) const;

    const ModemSettings& m_settings;
};

} // namespace plat::modemfw
