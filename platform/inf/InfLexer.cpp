#include "inf/InfLexer.h"

#include "core/AsciiText.h"
#include "core/Unicode.h"

#include <win/errors.h>
#include <win/setupapi_inf.h>

#include <utility>

namespace plat::inf {
namespace {

constexpr char kControlZ = '\x1A';

// White space inside a line: anything but the line end itself.
bool isLineBlank(char c)
{
    return c != '\n' && text::IsSpace(c);
}

class InfLexer {
public:
    InfLexer(std::string_view text, InfLexerSink& sink)
        : m_text(text)
        , m_sink(sink)
    {
        size_t stop = text.find(kControlZ);
        m_end = stop == std::string_view::npos ? text.size() : stop;
    }

    LexOutcome Run()
    {
        size_t pos = 0;
        while (pos != kStop && m_outcome.error == 0)
            pos = Step(pos);
        if (m_outcome.error != 0)
            m_outcome.errorLine = m_line;
        return m_outcome;
    }

private:
    enum class State {
        LineStart,      // at the beginning of a line
        SectionName,    // after '['
        KeyName,        // the first field of a line, until '=' or ','
        ValueName,      // a field after '=' or ','
        EolBackslash,   // after a '\' that may continue the line
        Quotes,         // inside double quotes
        LeadingSpaces,  // blanks before a field
        TrailingSpaces, // blanks after a field's text
        Comment,        // from ';' to the end of the line
    };
    static constexpr size_t kStop = std::string_view::npos;
    static constexpr int kStackDepth = 4;
    // Four bytes per character and some: more than any kept field needs.
    static constexpr size_t kTokenBytes = 4 * MAX_INF_STRING_LENGTH + 8;

    size_t Step(size_t pos)
    {
        switch (m_state) {
        case State::LineStart: return LineStart(pos);
        case State::SectionName: return SectionName(pos);
        case State::KeyName: return KeyName(pos);
        case State::ValueName: return ValueName(pos);
        case State::EolBackslash: return EolBackslash(pos);
        case State::Quotes: return Quotes(pos);
        case State::LeadingSpaces: return LeadingSpaces(pos);
        case State::TrailingSpaces: return TrailingSpaces(pos);
        case State::Comment: return Comment(pos);
        }
        return kStop;
    }

    bool IsEof(size_t p) const { return p >= m_end; }
    bool IsEol(size_t p) const { return p >= m_end || m_text[p] == '\n'; }

    void SetState(State state) { m_state = state; }
    void PushState(State state)
    {
        // The handlers never nest deeper than three; the check keeps a
        // mistake from writing past the stack.
        if (m_depth < kStackDepth)
            m_stack[m_depth++] = state;
    }
    void PopState() { m_state = m_depth > 0 ? m_stack[--m_depth] : State::LineStart; }

    // Appends the text from the token start up to `end` to the token; NUL
    // characters become blanks, as they cannot be part of a returned string.
    // A token stops growing well past the longest field, which is cut when
    // it is added.
    void PushToken(size_t end)
    {
        for (size_t i = m_start; i < end && m_token.size() < kTokenBytes; ++i)
            m_token += m_text[i] == '\0' ? ' ' : m_text[i];
        m_start = end;
    }

    // A field longer than MAX_INF_STRING_LENGTH characters is cut to that
    // length, as Windows 10 cuts it; the file still opens.
    bool AddField(FieldRole role)
    {
        text::CutToUtf16Length(&m_token, MAX_INF_STRING_LENGTH);
        m_lineOpen = true;
        m_sink.OnField(std::exchange(m_token, std::string()), role, m_fieldLine);
        return true;
    }

    void CloseLine()
    {
        if (m_lineOpen)
            m_sink.OnLineEnd();
        m_lineOpen = false;
    }

    size_t LineStart(size_t pos)
    {
        for (size_t p = pos; !IsEof(p); ++p) {
            char c = m_text[p];
            if (c == '\n') {
                ++m_line;
                CloseLine();
            } else if (c == ';') {
                PushState(State::LineStart);
                SetState(State::Comment);
                return p + 1;
            } else if (c == '[') {
                m_start = p + 1;
                SetState(State::SectionName);
                return p + 1;
            } else if (!isLineBlank(c)) {
                if (m_inSection) {
                    m_start = p;
                    m_fieldLine = m_line;
                    SetState(State::KeyName);
                    return p;
                }
                if (m_outcome.strayLine == 0)
                    m_outcome.strayLine = m_line;
            }
        }
        CloseLine();
        return kStop;
    }

    size_t SectionName(size_t pos)
    {
        for (size_t p = pos; !IsEol(p); ++p) {
            if (m_text[p] != ']')
                continue;
            PushToken(p);
            if (text::Utf16Length(m_token) > MAX_INF_SECTION_NAME_LENGTH) {
                m_outcome.error = ERROR_SECTION_NAME_TOO_LONG;
                return kStop;
            }
            m_inSection = true;
            m_sink.OnSection(std::exchange(m_token, std::string()), m_line);
            // Whatever follows the ']' on the line is ignored.
            PushState(State::LineStart);
            SetState(State::Comment);
            return p + 1;
        }
        m_outcome.error = ERROR_BAD_SECTION_NAME_LINE; // no ']' on the line
        return kStop;
    }

    size_t KeyName(size_t pos)
    {
        size_t tokenEnd = m_start;
        size_t p = pos;
        for (; !IsEol(p); ++p) {
            char c = m_text[p];
            if (c == ',')
                break; // a line whose first field ends in ',' has no key
            switch (c) {
            case '=':
                PushToken(tokenEnd);
                if (!AddField(FieldRole::Key))
                    return kStop;
                m_start = p + 1;
                PushState(State::ValueName);
                SetState(State::LeadingSpaces);
                return p + 1;
            case ';':
                PushToken(tokenEnd);
                if (!AddField(FieldRole::Value))
                    return kStop;
                PushState(State::LineStart);
                SetState(State::Comment);
                return p + 1;
            case '"':
                PushToken(p);
                m_start = p + 1;
                PushState(State::KeyName);
                SetState(State::Quotes);
                return p + 1;
            case '\\':
                PushToken(tokenEnd);
                m_start = p;
                PushState(State::KeyName);
                SetState(State::EolBackslash);
                return p;
            default:
                if (!isLineBlank(c)) {
                    tokenEnd = p + 1;
                } else {
                    PushToken(p);
                    PushState(State::KeyName);
                    SetState(State::TrailingSpaces);
                    return p;
                }
            }
        }
        PushToken(tokenEnd);
        SetState(State::ValueName);
        return p;
    }

    size_t ValueName(size_t pos)
    {
        size_t tokenEnd = m_start;
        size_t p = pos;
        for (; !IsEol(p); ++p) {
            char c = m_text[p];
            switch (c) {
            case ';':
                PushToken(tokenEnd);
                if (!AddField(FieldRole::Value))
                    return kStop;
                PushState(State::LineStart);
                SetState(State::Comment);
                return p + 1;
            case ',':
                PushToken(tokenEnd);
                if (!AddField(FieldRole::Value))
                    return kStop;
                m_start = p + 1;
                PushState(State::ValueName);
                SetState(State::LeadingSpaces);
                return p + 1;
            case '"':
                PushToken(p);
                m_start = p + 1;
                PushState(State::ValueName);
                SetState(State::Quotes);
                return p + 1;
            case '\\':
                PushToken(tokenEnd);
                m_start = p;
                PushState(State::ValueName);
                SetState(State::EolBackslash);
                return p;
            default:
                if (!isLineBlank(c)) {
                    tokenEnd = p + 1;
                } else {
                    PushToken(p);
                    PushState(State::ValueName);
                    SetState(State::TrailingSpaces);
                    return p;
                }
            }
        }
        PushToken(tokenEnd);
        if (!AddField(FieldRole::Value))
            return kStop;
        SetState(State::LineStart);
        return p;
    }

    // A '\' followed by nothing but blanks (and maybe a comment) up to the
    // end of the line joins the next line to this one; otherwise the
    // backslashes and blanks are text.
    size_t EolBackslash(size_t pos)
    {
        size_t p = pos;
        for (; !IsEof(p); ++p) {
            char c = m_text[p];
            if (c == '\n') {
                ++m_line;
                m_start = p + 1;
                SetState(State::LeadingSpaces);
                return p + 1;
            }
            if (c == '\\' || isLineBlank(c))
                continue;
            if (c == ';') {
                PushState(State::EolBackslash);
                SetState(State::Comment);
                return p + 1;
            }
            PushToken(p);
            PopState();
            return p;
        }
        m_start = p;
        PopState();
        return p;
    }

    // Text between double quotes is taken as it is; "" stands for one '"'.
    // A quote left open ends with the line.
    size_t Quotes(size_t pos)
    {
        size_t p = pos;
        while (!IsEol(p)) {
            if (m_text[p] != '"') {
                ++p;
                continue;
            }
            if (p + 1 < m_end && m_text[p + 1] == '"') {
                PushToken(p + 1);
                p += 2;
                m_start = p;
                continue;
            }
            PushToken(p);
            m_start = p + 1;
            PopState();
            return p + 1;
        }
        // The carriage return of a CR LF line end is no part of the text.
        PushToken(p > m_start && m_text[p - 1] == '\r' ? p - 1 : p);
        m_start = p;
        PopState();
        return p;
    }

    size_t LeadingSpaces(size_t pos)
    {
        size_t p = pos;
        for (; !IsEol(p); ++p) {
            if (m_text[p] == '\\') {
                m_start = p;
                SetState(State::EolBackslash);
                return p;
            }
            if (!isLineBlank(m_text[p]))
                break;
        }
        m_start = p;
        PopState();
        return p;
    }

    // Blanks after a field's text belong to it only when more text follows
    // before the field ends.
    size_t TrailingSpaces(size_t pos)
    {
        size_t p = pos;
        for (; !IsEol(p); ++p) {
            if (m_text[p] == '\\') {
                SetState(State::EolBackslash);
                return p;
            }
            if (!isLineBlank(m_text[p]))
                break;
        }
        PopState();
        return p;
    }

    size_t Comment(size_t pos)
    {
        size_t p = pos;
        while (!IsEol(p))
            ++p;
        PopState();
        return p;
    }

    std::string_view m_text;
    InfLexerSink& m_sink;
    size_t m_end = 0;
    State m_state = State::LineStart;
    State m_stack[kStackDepth] = {};
    int m_depth = 0;
    size_t m_start = 0; // start of the token text not yet pushed
    std::string m_token;
    UINT m_line = 1;
    UINT m_fieldLine = 1;
    bool m_inSection = false;
    bool m_lineOpen = false;
    LexOutcome m_outcome;
};

} // namespace

LexOutcome LexInf(std::string_view text, InfLexerSink& sink)
{
    return InfLexer(text, sink).Run();
}

} // namespace plat::inf
