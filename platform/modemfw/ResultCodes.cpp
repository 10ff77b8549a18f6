#include "modemfw/ResultCodes.h"

namespace plat::modemfw {
namespace {

struct Name {
    ResultCode code;
    const char* text;
};

constexpr Name kNames[] = {
    {ResultCode::Ok, "OK"},
    {ResultCode::Connect, "CONNECT"},
    {ResultCode::Ring, "RING"},
    {ResultCode::NoCarrier, "NO CARRIER"},
    {ResultCode::Error, "ERROR"},
    {ResultCode::NoDialtone, "NO DIALTONE"},
    {ResultCode::Busy, "BUSY"},
    {ResultCode::NoAnswer, "NO ANSWER"},
};

} // namespace

const char* ResultText(ResultCode code)
{
    for (const Name& n : kNames) {
        if (n.code == code)
            return n.text;
    }
    return "ERROR";
}

std::optional<ResultCode> ResultFromText(const std::string& text)
{
    for (const Name& n : kNames) {
        if (text == n.text)
            return n.code;
    }
    return std::nullopt;
}

std::string FrameText(const std::vector<std::string>& lines, const Framing& framing)
{
    std::string out;
    if (lines.empty())
        return out;
    if (framing.verbose)
        out += "\r\n";
    for (const std::string& line : lines)
        out += line + "\r\n";
    return out;
}

std::string FrameResult(ResultCode code, const Framing& framing, unsigned connectSpeed)
{
    if (framing.quiet)
        return {};
    if (!framing.verbose)
        return std::to_string(static_cast<int>(code)) + "\r";
    std::string text = ResultText(code);
    if (code == ResultCode::Connect && connectSpeed != 0)
        text += " " + std::to_string(connectSpeed);
    return "\r\n" + text + "\r\n";
}

} // namespace plat::modemfw
