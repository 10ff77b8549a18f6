#include "Dump.h"

#include <win/kernel.h>
#include <win/setupapi_inf.h>

#include <cstdio>
#include <vector>

namespace infdump {
namespace {

// A field through SetupGetStringFieldA, with a size query first.
bool readField(INFCONTEXT* context, DWORD index, std::string* text)
{
    DWORD needed = 0;
    if (!SetupGetStringFieldA(context, index, nullptr, 0, &needed))
        return false;
    std::vector<char> buffer(needed);
    if (!SetupGetStringFieldA(context, index, buffer.data(), needed, nullptr))
        return false;
    text->assign(buffer.data());
    return true;
}

bool sectionName(HINF inf, UINT index, std::string* name)
{
    UINT needed = 0;
    if (!SetupEnumInfSectionsA(inf, index, nullptr, 0, &needed))
        return false;
    std::vector<char> buffer(needed);
    if (!SetupEnumInfSectionsA(inf, index, buffer.data(), needed, nullptr))
        return false;
    name->assign(buffer.data());
    return true;
}

void dumpLine(INFCONTEXT* context, std::ostream& out)
{
    std::string text;
    out << "  " << (readField(context, 0, &text) ? Quote(text) : std::string("-")) << " =";
    DWORD count = SetupGetFieldCount(context);
    for (DWORD i = 1; i <= count; ++i) {
        readField(context, i, &text);
        out << (i == 1 ? " " : ", ") << Quote(text);
    }
    out << '\n';
}

} // namespace

std::string Quote(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof(hex), "\\x%02X", u);
            out += hex;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string ErrorName(unsigned long code)
{
    switch (code) {
    case ERROR_EXPECTED_SECTION_NAME: return "ERROR_EXPECTED_SECTION_NAME";
    case ERROR_BAD_SECTION_NAME_LINE: return "ERROR_BAD_SECTION_NAME_LINE";
    case ERROR_SECTION_NAME_TOO_LONG: return "ERROR_SECTION_NAME_TOO_LONG";
    case ERROR_GENERAL_SYNTAX: return "ERROR_GENERAL_SYNTAX";
    case ERROR_WRONG_INF_STYLE: return "ERROR_WRONG_INF_STYLE";
    case ERROR_FILE_NOT_FOUND: return "ERROR_FILE_NOT_FOUND";
    case ERROR_PATH_NOT_FOUND: return "ERROR_PATH_NOT_FOUND";
    case ERROR_ACCESS_DENIED: return "ERROR_ACCESS_DENIED";
    case ERROR_INVALID_PARAMETER: return "ERROR_INVALID_PARAMETER";
    default: return "";
    }
}

int DumpInf(const std::string& windowsPath, std::ostream& out, std::ostream& err)
{
    UINT errorLine = 0;
    HINF inf = SetupOpenInfFileA(windowsPath.c_str(), nullptr, INF_STYLE_OLDNT | INF_STYLE_WIN4, &errorLine);
    if (inf == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        char code[16];
        std::snprintf(code, sizeof(code), "0x%08X", static_cast<unsigned>(error));
        err << "infdump: " << windowsPath;
        if (errorLine != 0)
            err << ": line " << errorLine;
        err << ": error " << code;
        if (std::string name = ErrorName(error); !name.empty())
            err << " (" << name << ")";
        err << '\n';
        return 1;
    }
    std::string name;
    for (UINT s = 0; sectionName(inf, s, &name); ++s) {
        out << '[' << name << "]\n";
        INFCONTEXT context;
        for (bool more = SetupFindFirstLineA(inf, name.c_str(), nullptr, &context); more;
             more = SetupFindNextLine(&context, &context))
            dumpLine(&context, out);
    }
    SetupCloseInfFile(inf);
    return 0;
}

} // namespace infdump
