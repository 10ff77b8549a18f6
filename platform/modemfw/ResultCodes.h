// Hayes result codes and how a modem frames its replies: verbose results
// are CR LF text CR LF, numeric ones the code and CR; information text comes
// before the result in the same framing.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace plat::modemfw {

enum class ResultCode {
    Ok = 0,
    Connect = 1,
    Ring = 2,
    NoCarrier = 3,
    Error = 4,
    NoDialtone = 6,
    Busy = 7,
    NoAnswer = 8,
};

// "OK", "CONNECT", "NO CARRIER", ...
const char* ResultText(ResultCode code);
// The code for a result name as the settings write it; nullopt if unknown.
std::optional<ResultCode> ResultFromText(const std::string& text);

// The modem's output modes that shape a reply (V and Q commands).
struct Framing {
    bool verbose = true;
    bool quiet = false;
};

// Information lines as the modem sends them.
std::string FrameText(const std::vector<std::string>& lines, const Framing& framing);
// A result; `connectSpeed` is appended to a verbose CONNECT when non-zero.
std::string FrameResult(ResultCode code, const Framing& framing, unsigned connectSpeed = 0);

} // namespace plat::modemfw
