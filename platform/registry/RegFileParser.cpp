#include "registry/RegFileParser.h"

#include "core/AsciiText.h"
#include "registry/AnsiText.h"

#include <win/registry.h>

#include <algorithm>
#include <array>

namespace plat::registry {
namespace {

constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr size_t kMaxKeyElement = 255;   // characters of one key name
constexpr size_t kMaxValueName = 16383;  // characters of a value name

struct RootEntry {
    std::string_view name;
    RegRoot root;
};
constexpr std::array<RootEntry, 5> kRoots = {{
    {"HKEY_LOCAL_MACHINE", RegRoot::LocalMachine},
    {"HKEY_CURRENT_USER", RegRoot::CurrentUser},
    {"HKEY_CLASSES_ROOT", RegRoot::ClassesRoot},
    {"HKEY_USERS", RegRoot::Users},
    {"HKEY_CURRENT_CONFIG", RegRoot::CurrentConfig},
}};

using text::HexDigitValue;
using text::IsBlank;

std::string_view trimLeft(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    return s;
}

// True when nothing but blanks, or blanks and a ';' comment, is left.
bool onlyCommentLeft(std::string_view rest)
{
    rest = trimLeft(rest);
    return rest.empty() || rest.front() == ';';
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 0x20);
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 0x20);
        if (x != y)
            return false;
    }
    return true;
}

size_t characterCount(std::string_view utf8)
{
    size_t n = 0;
    for (char c : utf8)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

// The kinds of line outside hex data, told by their first character.
enum class LineKind { Blank, Comment, Key, Value, Other };

LineKind classify(std::string_view line)
{
    if (line.empty())
        return LineKind::Blank;
    switch (line.front()) {
    case ';':
        return LineKind::Comment;
    case '[':
        return LineKind::Key;
    case '"':
    case '@':
        return LineKind::Value;
    default:
        return LineKind::Other;
    }
}

class Parser {
public:
    explicit Parser(RegFileSink& sink)
        : m_sink(sink)
    {
    }

    bool Run(const RegFileText& text, RegFileError* error)
    {
        for (size_t i = 0; i < text.lines.size(); ++i) {
            m_line = static_cast<int>(i + 1);
            if (!feed(text.lines[i]))
                return fail(error);
        }
        m_line = std::max<int>(1, static_cast<int>(text.lines.size()));
        if (m_state == State::Header)
            setError("empty file: expected the header \"Windows Registry Editor Version 5.00\" or \"REGEDIT4\"");
        else if (m_state == State::HexData)
            setError("the file ends inside hex data that a '\\' said would continue");
        else
            return true;
        return fail(error);
    }

private:
    enum class State {
        Header,   // before the first line
        Lines,    // at the start of a line
        HexData,  // in hex data continued from the line before
    };
    enum class KeyState { None, Open, Removed };

    bool fail(RegFileError* error)
    {
        *error = RegFileError{m_line, m_message};
        return false;
    }
    bool setError(std::string message)
    {
        m_message = std::move(message);
        return false;
    }

    bool feed(std::string_view line)
    {
        switch (m_state) {
        case State::Header:
            return onHeader(line);
        case State::Lines:
            return onLine(trimLeft(line));
        case State::HexData:
            return onHexContinuation(trimLeft(line));
        }
        return false;
    }

    // regedit accepts blanks before the header and nothing else around it.
    bool onHeader(std::string_view line)
    {
        std::string_view text = trimLeft(line);
        if (text == kHeader5)
            m_format = RegFileFormat::Version5;
        else if (text == kHeader4)
            m_format = RegFileFormat::Regedit4;
        else
            return setError("the first line must be exactly \"Windows Registry Editor Version 5.00\" or "
                            "\"REGEDIT4\"");
        m_state = State::Lines;
        return true;
    }

    bool onLine(std::string_view line)
    {
        switch (classify(line)) {
        case LineKind::Blank:
        case LineKind::Comment:
            return true;
        case LineKind::Key:
            return onKeyLine(line);
        case LineKind::Value:
            return onValueLine(line);
        case LineKind::Other:
            break;
        }
        return setError("not a [key] line, a \"value\"= line or a ';' comment");
    }

    // [ROOT\path], or [-ROOT\path] to remove a key with its subtree.
    bool onKeyLine(std::string_view line)
    {
        line.remove_prefix(1);
        bool remove = !line.empty() && line.front() == '-';
        if (remove)
            line.remove_prefix(1);
        // The name ends at the first ']' that only blanks or a comment follow,
        // so that key names may hold ']' themselves.
        size_t close = std::string_view::npos;
        for (size_t i = line.find(']'); i != std::string_view::npos; i = line.find(']', i + 1)) {
            if (onlyCommentLeft(line.substr(i + 1))) {
                close = i;
                break;
            }
        }
        if (close == std::string_view::npos)
            return setError("a key line must end with ']'");
        RegKeyPath key;
        if (!parseKeyPath(line.substr(0, close), &key))
            return false;
        if (remove) {
            if (key.elements.empty())
                return setError("a root key cannot be removed");
            m_sink.OnDeleteKey(key);
            m_keyState = KeyState::Removed;
        } else {
            m_sink.OnKey(key);
            m_keyState = KeyState::Open;
        }
        return true;
    }

    bool parseKeyPath(std::string_view path, RegKeyPath* key)
    {
        if (path.empty())
            return setError("empty key name");
        size_t slash = path.find('\\');
        std::string_view rootName = path.substr(0, slash);
        bool known = false;
        for (const RootEntry& entry : kRoots) {
            if (equalsNoCase(rootName, entry.name)) {
                key->root = entry.root;
                known = true;
            }
        }
        if (!known)
            return setError("unknown root key \"" + std::string(rootName) +
                            "\" (roots are written in full, as HKEY_LOCAL_MACHINE)");
        if (slash == std::string_view::npos)
            return true;
        std::string_view rest = path.substr(slash + 1);
        while (!rest.empty()) {
            size_t next = rest.find('\\');
            std::string_view element = rest.substr(0, next);
            if (element.empty())
                return setError("empty key name between two '\\'");
            if (characterCount(element) > kMaxKeyElement)
                return setError("key name longer than 255 characters");
            key->elements.emplace_back(element);
            if (next == std::string_view::npos)
                break;
            rest.remove_prefix(next + 1); // a trailing '\' ends the path
        }
        return true;
    }

    // "name"=data or @=data.
    bool onValueLine(std::string_view line)
    {
        std::string name;
        if (line.front() == '@') {
            line.remove_prefix(1);
        } else if (!parseQuoted(&line, &name, "value name")) {
            return false;
        }
        if (characterCount(name) > kMaxValueName)
            return setError("value name longer than 16383 characters");
        line = trimLeft(line);
        if (line.empty() || line.front() != '=')
            return setError("expected '=' after the value name");
        line = trimLeft(line.substr(1));

        if (m_keyState == KeyState::None)
            return setError("value line before the first [key] line");
        if (m_keyState == KeyState::Removed)
            return setError("value line under a removed [-key]");

        m_valueName = std::move(name);
        if (!line.empty() && line.front() == '"')
            return onStringData(line);
        if (!line.empty() && line.front() == '-') {
            if (!onlyCommentLeft(line.substr(1)))
                return setError("unexpected text after '-'");
            m_sink.OnDeleteValue(m_valueName);
            return true;
        }
        if (line.substr(0, 6) == "dword:")
            return onDwordData(line.substr(6));
        if (line.substr(0, 4) == "hex:")
            return startHexData(REG_BINARY, line.substr(4));
        if (line.substr(0, 4) == "hex(")
            return onTypedHex(line.substr(4));
        return setError("unknown value data (expected \"string\", dword:, hex:, hex(N): or -)");
    }

    // A quoted string with the escapes \\ and \"; `line` moves past it.
    bool parseQuoted(std::string_view* line, std::string* out, const char* what)
    {
        std::string_view s = line->substr(1);
        for (size_t i = 0; i < s.size(); ++i) {
            char c = s[i];
            if (c == '"') {
                *line = s.substr(i + 1);
                return true;
            }
            if (c == '\\') {
                if (i + 1 >= s.size())
                    break;
                char next = s[++i];
                if (next != '\\' && next != '"')
                    return setError(std::string("unknown escape \\") + next + " in " + what +
                                    " (only \\\\ and \\\" are escapes)");
                c = next;
            }
            out->push_back(c);
        }
        return setError(std::string(what) + " has no closing quote");
    }

    bool onStringData(std::string_view line)
    {
        std::string text;
        if (!parseQuoted(&line, &text, "string"))
            return false;
        if (!onlyCommentLeft(line))
            return setError("unexpected text after the closing quote");
        std::vector<BYTE> data = Utf8ToUtf16Bytes(text);
        data.push_back(0);
        data.push_back(0);
        m_sink.OnValue(m_valueName, REG_SZ, std::move(data));
        return true;
    }

    bool onDwordData(std::string_view line)
    {
        DWORD value = 0;
        size_t digits = 0;
        while (digits < line.size() && HexDigitValue(line[digits]) >= 0) {
            value = (value << 4) | static_cast<DWORD>(HexDigitValue(line[digits]));
            ++digits;
        }
        if (digits == 0 || digits > 8)
            return setError("dword: needs 1 to 8 hex digits");
        if (!onlyCommentLeft(line.substr(digits)))
            return setError("unexpected text after the dword value");
        std::vector<BYTE> data = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                                  static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
        m_sink.OnValue(m_valueName, REG_DWORD, std::move(data));
        return true;
    }

    // hex(N): with N the value's type in hex.
    bool onTypedHex(std::string_view line)
    {
        DWORD type = 0;
        size_t digits = 0;
        while (digits < line.size() && HexDigitValue(line[digits]) >= 0) {
            type = (type << 4) | static_cast<DWORD>(HexDigitValue(line[digits]));
            ++digits;
        }
        if (digits == 0 || digits > 8 || line.substr(digits, 2) != "):")
            return setError("expected hex(N): with N the value type in hex");
        return startHexData(type, line.substr(digits + 2));
    }

    bool startHexData(DWORD type, std::string_view rest)
    {
        m_hexType = type;
        m_hexData.clear();
        m_expectByte = true;
        return onHexText(rest);
    }

    bool onHexContinuation(std::string_view line)
    {
        if (line.empty())
            return setError("blank line inside hex data that a '\\' said would continue");
        if (line.front() == ';')
            return true; // a comment line inside the continued data
        return onHexText(line);
    }

    // Comma-separated bytes of one or two hex digits; a '\' at the end of the
    // line continues the data on the next line.
    bool onHexText(std::string_view s)
    {
        size_t i = 0;
        while (true) {
            while (i < s.size() && IsBlank(s[i]))
                ++i;
            if (i == s.size() || s[i] == ';')
                return finishHexData();
            char c = s[i];
            if (c == '\\') {
                if (!trimLeft(s.substr(i + 1)).empty())
                    return setError("unexpected text after the continuation '\\'");
                m_state = State::HexData;
                return true;
            }
            if (c == ',') {
                if (m_expectByte)
                    return setError("missing byte before ',' in hex data");
                m_expectByte = true;
                ++i;
                continue;
            }
            int high = HexDigitValue(c);
            if (high < 0)
                return setError(std::string("unexpected character '") + c + "' in hex data");
            if (!m_expectByte)
                return setError("missing ',' between bytes in hex data");
            int value = high;
            ++i;
            if (i < s.size() && HexDigitValue(s[i]) >= 0) {
                value = value * 16 + HexDigitValue(s[i]);
                ++i;
            }
            if (i < s.size() && HexDigitValue(s[i]) >= 0)
                return setError("a byte in hex data has more than two hex digits");
            m_hexData.push_back(static_cast<BYTE>(value));
            m_expectByte = false;
        }
    }

    bool finishHexData()
    {
        m_state = State::Lines;
        std::vector<BYTE> data = std::move(m_hexData);
        m_hexData.clear();
        bool textType = m_hexType == REG_SZ || m_hexType == REG_EXPAND_SZ || m_hexType == REG_MULTI_SZ;
        if (textType && m_format == RegFileFormat::Regedit4)
            data = AnsiToUtf16Bytes(data.data(), data.size()); // REGEDIT4 files hold ANSI text
        m_sink.OnValue(m_valueName, m_hexType, std::move(data));
        return true;
    }

    RegFileSink& m_sink;
    State m_state = State::Header;
    KeyState m_keyState = KeyState::None;
    RegFileFormat m_format = RegFileFormat::Version5;
    int m_line = 0;
    std::string m_message;

    std::string m_valueName;
    DWORD m_hexType = 0;
    std::vector<BYTE> m_hexData;
    bool m_expectByte = true;
};

} // namespace

const char* RootName(RegRoot root)
{
    for (const RootEntry& entry : kRoots) {
        if (entry.root == root)
            return entry.name.data();
    }
    return "";
}

bool ParseRegFile(std::string_view bytes, RegFileSink& sink, RegFileError* error)
{
    RegFileText text;
    if (!DecodeRegFileText(bytes, &text, error))
        return false;
    Parser parser(sink);
    return parser.Run(text, error);
}

} // namespace plat::registry
