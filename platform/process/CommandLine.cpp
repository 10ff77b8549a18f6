#include "process/CommandLine.h"

#include "core/AsciiText.h"

namespace plat::process {
namespace {

size_t skipBlanks(const std::string& s, size_t i)
{
    while (i < s.size() && text::IsBlank(s[i]))
        ++i;
    return i;
}

} // namespace

std::vector<std::string> ProgramCandidates(const std::string& commandLine)
{
    std::vector<std::string> candidates;
    size_t start = skipBlanks(commandLine, 0);
    if (start == commandLine.size())
        return candidates;
    if (commandLine[start] == '"') {
        size_t close = commandLine.find('"', start + 1);
        size_t end = close == std::string::npos ? commandLine.size() : close;
        candidates.push_back(commandLine.substr(start + 1, end - start - 1));
        return candidates;
    }
    size_t end = commandLine.size();
    while (end > start && text::IsBlank(commandLine[end - 1]))
        --end;
    for (size_t i = start; i < end; ++i) {
        if (text::IsBlank(commandLine[i]) && !text::IsBlank(commandLine[i - 1]))
            candidates.push_back(commandLine.substr(start, i - start));
    }
    candidates.push_back(commandLine.substr(start, end - start));
    return candidates;
}

std::string WithDefaultExtension(const std::string& program)
{
    size_t slash = program.find_last_of("\\/");
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (program.size() > nameStart && program.back() == '.')
        return program.substr(0, program.size() - 1);
    if (program.find('.', nameStart) != std::string::npos)
        return program;
    return program + ".exe";
}

std::vector<std::string> SplitArguments(const std::string& commandLine)
{
    std::vector<std::string> args;
    size_t i = skipBlanks(commandLine, 0);
    if (i == commandLine.size())
        return args;

    // The program name: quotes toggle, backslashes are plain characters.
    std::string program;
    bool quoted = false;
    for (; i < commandLine.size() && (quoted || !text::IsBlank(commandLine[i])); ++i) {
        if (commandLine[i] == '"')
            quoted = !quoted;
        else
            program += commandLine[i];
    }
    args.push_back(program);

    for (;;) {
        i = skipBlanks(commandLine, i);
        if (i >= commandLine.size())
            break;
        std::string arg;
        quoted = false;
        while (i < commandLine.size() && (quoted || !text::IsBlank(commandLine[i]))) {
            size_t backslashes = 0;
            while (i < commandLine.size() && commandLine[i] == '\\') {
                ++backslashes;
                ++i;
            }
            if (i < commandLine.size() && commandLine[i] == '"') {
                arg.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    arg += '"';
                } else if (quoted && i + 1 < commandLine.size() && commandLine[i + 1] == '"') {
                    arg += '"'; // "" inside quotes: a literal quote, still quoted
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                arg.append(backslashes, '\\');
                if (i < commandLine.size() && (quoted || !text::IsBlank(commandLine[i])))
                    arg += commandLine[i++];
            }
        }
        args.push_back(arg);
    }
    return args;
}

} // namespace plat::process
