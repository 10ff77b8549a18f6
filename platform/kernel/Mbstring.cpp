// _mbsstr, _mbscmp and _mbsdec of the C runtime: exact, case-sensitive,
// and aware of the double-byte characters of the ANSI code page that the
// machine's system language implies, so a match never starts on a trail
// byte and a step back never lands on one.
#include "core/CodePages.h"

#include <mbstring.h>
#include <win/kernel.h>

#include <cstring>

namespace {

// The C runtime's multibyte code page is the ANSI code page it finds at
// start-up: the one of the machine's system language.
UINT multibyteCodePage()
{
    return plat::codepages::SystemAnsiCodePage();
}

bool isLead(UINT codePage, unsigned char c)
{
    return plat::codepages::IsLeadByte(codePage, c);
}

} // namespace

extern "C" unsigned char* _mbsstr(const unsigned char* str, const unsigned char* substr)
{
    if (!str || !substr)
        return nullptr;
    if (!*substr)
        return const_cast<unsigned char*>(str);
    UINT codePage = multibyteCodePage();
    size_t needle = std::strlen(reinterpret_cast<const char*>(substr));
    for (const unsigned char* p = str; *p;) {
        if (std::strncmp(reinterpret_cast<const char*>(p), reinterpret_cast<const char*>(substr), needle) == 0)
            return const_cast<unsigned char*>(p);
        // Step over a whole character: a lead byte takes its trail byte along.
        p += (isLead(codePage, *p) && p[1]) ? 2 : 1;
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

extern "C" unsigned char* _mbsdec(const unsigned char* start, const unsigned char* current)
{
    if (!start || !current || start >= current)
        return nullptr;
    UINT codePage = multibyteCodePage();
    const unsigned char* before = current - 1;
    // A lead-byte value right before a character start is a trail byte.
    if (isLead(codePage, *before))
        return const_cast<unsigned char*>(before - 1 >= start ? before - 1 : before);
    // Otherwise the run of lead-byte values before it decides: an odd run
    // pairs its last byte with this one.
    size_t run = 0;
    for (const unsigned char* p = before; p > start && isLead(codePage, p[-1]); --p)
        ++run;
    return const_cast<unsigned char*>(run % 2 == 1 ? before - 1 : before);
}
