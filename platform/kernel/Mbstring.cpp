// _mbsstr and _mbscmp of the C runtime: exact, case-sensitive, and aware of
// the double-byte characters of the ANSI code page that the machine's
// system language implies, so a match never starts on a trail byte.
#include "core/Machine.h"

#include <mbstring.h>
#include <win/kernel.h>

#include <cstring>

namespace {

enum class LeadBytes { None, ShiftJis, Wide };

LeadBytes leadBytesOfMachine()
{
    const plat::Machine* machine = plat::CurrentMachine();
    LANGID lang = machine ? machine->Langs().systemDefault : 0x0409;
    switch (PRIMARYLANGID(lang)) {
    case 0x11: return LeadBytes::ShiftJis; // Japanese, code page 932
    case 0x04:                             // Chinese, code pages 936 and 950
    case 0x12: return LeadBytes::Wide;     // Korean, code page 949
    default: return LeadBytes::None;
    }
}

bool isLead(unsigned char c, LeadBytes kind)
{
    switch (kind) {
    case LeadBytes::ShiftJis: return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    case LeadBytes::Wide: return c >= 0x81 && c <= 0xFE;
    case LeadBytes::None: return false;
    }
    return false;
}

} // namespace

extern "C" unsigned char* _mbsstr(const unsigned char* str, const unsigned char* substr)
{
    if (!str || !substr)
        return nullptr;
    if (!*substr)
        return const_cast<unsigned char*>(str);
    LeadBytes kind = leadBytesOfMachine();
    size_t needle = std::strlen(reinterpret_cast<const char*>(substr));
    for (const unsigned char* p = str; *p;) {
        if (std::strncmp(reinterpret_cast<const char*>(p), reinterpret_cast<const char*>(substr), needle) == 0)
            return const_cast<unsigned char*>(p);
        // Step over a whole character: a lead byte takes its trail byte along.
        p += (isLead(*p, kind) && p[1]) ? 2 : 1;
    }
    return nullptr;
}

extern "C" int _mbscmp(const unsigned char* string1, const unsigned char* string2)
{
    if (!string1 || !string2)
        return 0x7fffffff; // _NLSCMPERROR
    // Byte order equals character order for the double-byte code pages, as
    // the C runtime compares them.
    int result = std::strcmp(reinterpret_cast<const char*>(string1), reinterpret_cast<const char*>(string2));
    return result < 0 ? -1 : result > 0 ? 1 : 0;
}
