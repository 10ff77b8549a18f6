// The INF lexer: turns the text of an INF file into sections and lines of
// fields, with the quoting, comment, continuation and white-space rules of
// SetupAPI. It is a state machine (one handler per state) that knows nothing
// of the section model it feeds, nor of string substitution.
#pragma once

#include <win/types.h>

#include <string>
#include <string_view>

namespace plat::inf {

enum class FieldRole {
    Key,   // the text before '='
    Value, // a field after '=' or of a line without '='
};

// Receives what the lexer finds, in file order.
class InfLexerSink {
public:
    virtual ~InfLexerSink() = default;
    // A section header; `line` is 1-based.
    virtual void OnSection(std::string name, UINT line) = 0;
    // A field of the current INF line. The first field starts the line
    // (`line` is where it starts); a key is always the first field.
    virtual void OnField(std::string text, FieldRole role, UINT line) = 0;
    // The current INF line is complete. Only sent after at least one field.
    virtual void OnLineEnd() = 0;
};

struct LexOutcome {
    DWORD error = 0;     // 0, or one of the ERROR_* syntax codes
    UINT errorLine = 0;  // 1-based line of the error
    UINT strayLine = 0;  // first line with text before the first section, 0 when none
};

// Lexes the whole text (UTF-8; a Ctrl-Z ends it). Lines with text
// before the first section are not lines of any section: they are reported
// through `strayLine` so that the caller decides whether they are an error.
LexOutcome LexInf(std::string_view text, InfLexerSink& sink);

} // namespace plat::inf
