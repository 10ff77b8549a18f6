#include "modemfw/SettingsParser.h"

#include "core/AsciiText.h"

#include <cctype>
#include <cstdlib>

namespace plat::modemfw {
namespace {

using nlohmann::json;

// Parsing state: where we are (for messages) and the first error.
class Reader {
public:
    Reader(std::string prefix, SettingsError* error) : m_prefix(std::move(prefix)), m_error(error) {}

    bool Fail(const std::string& key, const std::string& message)
    {
        if (m_error) {
            m_error->key = m_prefix + key;
            if (key.empty() && !m_error->key.empty() && m_error->key.back() == '.')
                m_error->key.pop_back();
            m_error->message = message;
        }
        return false;
    }

    bool Bool(const json& v, const std::string& key, bool* out)
    {
        if (!v.is_boolean())
            return Fail(key, "expected true or false");
        *out = v.get<bool>();
        return true;
    }

    bool Number(const json& v, const std::string& key, double min, double max, double* out)
    {
        if (!v.is_number())
            return Fail(key, "expected a number");
        double d = v.get<double>();
        if (!(d >= min && d <= max))
            return Fail(key, "out of range (" + std::to_string(min) + " .. " + std::to_string(max) + ")");
        *out = d;
        return true;
    }

    bool Int(const json& v, const std::string& key, long min, long max, long* out)
    {
        if (!v.is_number_integer())
            return Fail(key, "expected a whole number");
        long long n = v.get<long long>();
        if (n < min || n > max)
            return Fail(key, "out of range (" + std::to_string(min) + " .. " + std::to_string(max) + ")");
        *out = static_cast<long>(n);
        return true;
    }

    bool String(const json& v, const std::string& key, std::string* out)
    {
        if (!v.is_string())
            return Fail(key, "expected a string");
        *out = v.get<std::string>();
        return true;
    }

    bool Object(const json& v, const std::string& key)
    {
        return v.is_object() ? true : Fail(key, "expected an object");
    }

    // A reply: "text", ["line", ...], null (ERROR) or {"text": ..., "result": ...}.
    bool Reply(const json& v, const std::string& key, CannedReply* out)
    {
        *out = CannedReply{};
        if (v.is_null()) {
            out->result = ResultCode::Error;
            return true;
        }
        if (v.is_string() || v.is_array())
            return Lines(v, key, &out->text);
        if (!v.is_object())
            return Fail(key, "expected a text, a list of lines, null (ERROR) or {\"text\", \"result\"}");
        for (auto& [name, value] : v.items()) {
            if (name == "text") {
                if (!Lines(value, key + ".text", &out->text))
                    return false;
            } else if (name == "result") {
                std::string text;
                if (!String(value, key + ".result", &text))
                    return false;
                if (text == "none") {
                    out->result.reset();
                } else {
                    out->result = ResultFromText(text);
                    if (!out->result)
                        return Fail(key + ".result", "unknown result \"" + text +
                                                         "\" (OK, CONNECT, RING, NO CARRIER, ERROR, NO DIALTONE, "
                                                         "BUSY, NO ANSWER or none)");
                }
            } else {
                return Fail(key + "." + name, "unknown key (text, result)");
            }
        }
        return true;
    }

    bool Lines(const json& v, const std::string& key, std::vector<std::string>* out)
    {
        out->clear();
        if (v.is_string()) {
            out->push_back(v.get<std::string>());
            return true;
        }
        if (!v.is_array())
            return Fail(key, "expected a text or a list of lines");
        for (size_t i = 0; i < v.size(); ++i) {
            std::string line;
            if (!String(v[i], key + "[" + std::to_string(i) + "]", &line))
                return false;
            out->push_back(line);
        }
        return true;
    }

    bool Outcome(const json& v, const std::string& key, DialOutcome* out)
    {
        std::string text;
        if (!String(v, key, &text))
            return false;
        static const std::pair<const char*, DialOutcome> kOutcomes[] = {
            {"CONNECT", DialOutcome::Connect},       {"BUSY", DialOutcome::Busy},
            {"NO ANSWER", DialOutcome::NoAnswer},    {"NO CARRIER", DialOutcome::NoCarrier},
            {"NO DIALTONE", DialOutcome::NoDialtone},
        };
        for (auto& [name, outcome] : kOutcomes) {
            if (text == name) {
                *out = outcome;
                return true;
            }
        }
        return Fail(key, "unknown outcome \"" + text + "\" (CONNECT, BUSY, NO ANSWER, NO CARRIER, NO DIALTONE)");
    }

    bool Hex(const std::string& text, const std::string& key, std::string* out)
    {
        out->clear();
        std::string digits;
        for (char c : text) {
            if (c != ' ')
                digits += c;
        }
        if (digits.size() % 2 != 0)
            return Fail(key, "expected pairs of hex digits");
        for (size_t i = 0; i < digits.size(); i += 2) {
            int high = text::HexDigitValue(digits[i]), low = text::HexDigitValue(digits[i + 1]);
            if (high < 0 || low < 0)
                return Fail(key, "expected pairs of hex digits");
            out->push_back(static_cast<char>(high * 16 + low));
        }
        return true;
    }

    bool OneFault(const json& v, const std::string& key, Fault* out)
    {
        if (!Object(v, key))
            return false;
        auto kind = v.find("kind");
        if (kind == v.end())
            return Fail(key + ".kind", "missing (noReply, delay, late, garbage, partial, unsolicited, portGone)");
        std::string kindText;
        if (!String(*kind, key + ".kind", &kindText))
            return false;
        static const std::pair<const char*, FaultKind> kKinds[] = {
            {"noReply", FaultKind::NoReply},   {"delay", FaultKind::Delay},
            {"late", FaultKind::Delay},        {"garbage", FaultKind::Garbage},
            {"partial", FaultKind::Partial},   {"unsolicited", FaultKind::Unsolicited},
            {"portGone", FaultKind::PortGone},
        };
        bool known = false;
        for (auto& [name, k] : kKinds) {
            if (kindText == name) {
                out->kind = k;
                known = true;
            }
        }
        if (!known)
            return Fail(key + ".kind", "unknown fault \"" + kindText +
                                           "\" (noReply, delay, late, garbage, partial, unsolicited, portGone)");
        out->bytes = out->kind == FaultKind::Garbage ? std::string("\xff\xfe~\x80#\x1b[?\x7f", 9)
                     : out->kind == FaultKind::Unsolicited ? "RING"
                                                            : "";
        bool hasMs = false;
        for (auto& [name, value] : v.items()) {
            std::string at = key + "." + name;
            long n = 0;
            if (name == "kind") {
                continue;
            } else if (name == "ms") {
                if (!Number(value, at, 0, 3600000, &out->ms))
                    return false;
                hasMs = true;
            } else if (name == "count") {
                if (!Int(value, at, 1, 1000000, &n))
                    return false;
                out->count = static_cast<int>(n);
            } else if (name == "bytes" && out->kind == FaultKind::Garbage) {
                if (!String(value, at, &out->bytes))
                    return false;
            } else if (name == "hex" && out->kind == FaultKind::Garbage) {
                std::string text;
                if (!String(value, at, &text) || !Hex(text, at, &out->bytes))
                    return false;
            } else if (name == "thenReply" && out->kind == FaultKind::Garbage) {
                if (!Bool(value, at, &out->thenReply))
                    return false;
            } else if (name == "partialBytes" && out->kind == FaultKind::Partial) {
                if (!Int(value, at, 0, 1000000, &n))
                    return false;
                out->partialBytes = static_cast<size_t>(n);
            } else if (name == "text" && out->kind == FaultKind::Unsolicited) {
                if (!String(value, at, &out->bytes))
                    return false;
            } else if (name == "after" && out->kind == FaultKind::Unsolicited) {
                if (!Bool(value, at, &out->afterReply))
                    return false;
            } else {
                return Fail(at, "not a setting of a \"" + kindText + "\" fault");
            }
        }
        if (out->kind == FaultKind::Delay && !hasMs)
            return Fail(key + ".ms", "a \"" + kindText + "\" fault needs the delay in ms");
        return true;
    }

    bool Faults(const json& v, const std::string& key, std::map<std::string, std::vector<Fault>>* out)
    {
        if (!Object(v, key))
            return false;
        for (auto& [line, value] : v.items()) {
            std::string at = key + "." + line;
            std::vector<Fault> list;
            if (value.is_array()) {
                for (size_t i = 0; i < value.size(); ++i) {
                    Fault f;
                    if (!OneFault(value[i], at + "[" + std::to_string(i) + "]", &f))
                        return false;
                    list.push_back(f);
                }
            } else {
                Fault f;
                if (!OneFault(value, at, &f))
                    return false;
                list.push_back(f);
            }
            (*out)[line == "*" ? line : NormaliseCommand(line)] = list;
        }
        return true;
    }

    bool TimingSection(const json& v, const std::string& key, Timing* out)
    {
        if (!Object(v, key))
            return false;
        const std::pair<const char*, double*> fields[] = {
            {"commandMs", &out->commandMs}, {"resetMs", &out->resetMs},     {"dmaMs", &out->dmaMs},
            {"dialDigitMs", &out->dialDigitMs}, {"connectMs", &out->connectMs}, {"busyMs", &out->busyMs},
        };
        for (auto& [name, value] : v.items()) {
            double* target = nullptr;
            for (auto& [field, p] : fields) {
                if (name == field)
                    target = p;
            }
            if (!target)
                return Fail(key + "." + name,
                            "unknown timing (commandMs, resetMs, dmaMs, dialDigitMs, connectMs, busyMs)");
            if (!Number(value, key + "." + name, 0, 3600000, target))
                return false;
        }
        return true;
    }

    bool Dial(const json& v, const std::string& key, ModemSettings* out)
    {
        if (!Object(v, key))
            return false;
        for (auto& [name, value] : v.items()) {
            if (name == "default") {
                if (!Outcome(value, key + ".default", &out->dialDefault))
                    return false;
            } else if (name == "numbers") {
                if (!Object(value, key + ".numbers"))
                    return false;
                for (auto& [number, outcome] : value.items()) {
                    DialOutcome o{};
                    if (!Outcome(outcome, key + ".numbers." + number, &o))
                        return false;
                    std::string digits = NormaliseNumber(number);
                    if (digits.empty())
                        return Fail(key + ".numbers." + number, "a number needs digits");
                    out->numbers[digits] = o;
                }
            } else {
                return Fail(key + "." + name, "unknown key (default, numbers)");
            }
        }
        return true;
    }

    bool Top(const json& v, ModemSettings* out)
    {
        if (!v.is_object())
            return Fail("", "expected an object of modem settings");
        for (auto& [name, value] : v.items()) {
            long n = 0;
            bool ok = true;
            if (name == "timeScale") {
                ok = Number(value, name, 0, 1000, &out->timeScale);
            } else if (name == "echo") {
                ok = Bool(value, name, &out->echo);
            } else if (name == "verbose") {
                ok = Bool(value, name, &out->verbose);
            } else if (name == "quiet") {
                ok = Bool(value, name, &out->quiet);
            } else if (name == "sRegisters") {
                ok = Object(value, name);
                for (auto it = value.begin(); ok && it != value.end(); ++it) {
                    char* end = nullptr;
                    long reg = std::strtol(it.key().c_str(), &end, 10);
                    if (it.key().empty() || *end || reg < 0 || reg > 255)
                        return Fail(name + "." + it.key(), "an S-register number is 0 .. 255");
                    ok = Int(it.value(), name + "." + it.key(), 0, 255, &n);
                    out->sRegisters[static_cast<int>(reg)] = static_cast<int>(n);
                }
            } else if (name == "identity") {
                ok = Object(value, name);
                for (auto it = value.begin(); ok && it != value.end(); ++it) {
                    const std::string& k = it.key();
                    if (k.size() != 1 || !std::isdigit(static_cast<unsigned char>(k[0])))
                        return Fail(name + "." + k, "identity entries are \"0\" .. \"9\" (ATI0 .. ATI9)");
                    ok = Reply(it.value(), name + "." + k, &out->identity[k[0] - '0']);
                    if (ok && it.value().is_null())
                        out->identity.erase(k[0] - '0');
                }
            } else if (name == "commands") {
                ok = Object(value, name);
                for (auto it = value.begin(); ok && it != value.end(); ++it) {
                    std::string line = NormaliseCommand(it.key());
                    if (line.size() < 2 || line.compare(0, 2, "AT") != 0)
                        return Fail(name + "." + it.key(), "a command line begins with AT");
                    ok = Reply(it.value(), name + "." + it.key(), &out->commands[line]);
                }
            } else if (name == "vendorCommands") {
                if (!value.is_array())
                    return Fail(name, "expected a list such as [\"|DMA\", \"&T1\", \"|DT\", \"|LC\"]");
                out->vendorCommands.clear();
                for (size_t i = 0; ok && i < value.size(); ++i) {
                    std::string cmd;
                    std::string at = name + "[" + std::to_string(i) + "]";
                    ok = String(value[i], at, &cmd);
                    if (ok && cmd != "|DMA" && cmd != "&T1" && cmd != "|DT" && cmd != "|LC")
                        return Fail(at, "unknown vendor command \"" + cmd + "\" (|DMA, &T1, |DT, |LC)");
                    out->vendorCommands.insert(cmd);
                }
            } else if (name == "dmaTest") {
                std::string text;
                ok = String(value, name, &text);
                if (ok && text != "PASS" && text != "FAIL")
                    return Fail(name, "expected \"PASS\" or \"FAIL\"");
                out->dmaPasses = text == "PASS";
            } else if (name == "loopback") {
                ok = Bool(value, name, &out->loopback);
            } else if (name == "dialTone") {
                ok = Bool(value, name, &out->dialTone);
            } else if (name == "lineCurrent") {
                ok = Int(value, name, 0, 1000, &n);
                out->lineCurrent = static_cast<int>(n);
            } else if (name == "connectSpeed") {
                ok = Int(value, name, 0, 10000000, &n);
                out->connectSpeed = static_cast<unsigned>(n);
            } else if (name == "dial") {
                ok = Dial(value, name, out);
            } else if (name == "timing") {
                ok = TimingSection(value, name, &out->timing);
            } else if (name == "faults") {
                ok = Faults(value, name, &out->faults);
            } else if (name == "description") {
                std::string ignored;
                ok = String(value, name, &ignored);
            } else {
                return Fail(name, "unknown modem setting");
            }
            if (!ok)
                return false;
        }
        return true;
    }

private:
    std::string m_prefix;
    SettingsError* m_error;
};

} // namespace

bool ParseSettings(const nlohmann::json& json, const std::string& keyPrefix, ModemSettings* out,
                   SettingsError* error)
{
    ModemSettings settings;
    Reader reader(keyPrefix, error);
    if (!reader.Top(json, &settings))
        return false;
    *out = std::move(settings);
    return true;
}

} // namespace plat::modemfw
