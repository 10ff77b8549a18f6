#include "cplhost/HostOutput.h"

#include "core/Paths.h"

#include <win/resources.h>

#include <sstream>

namespace plat::cplhost {

std::string AnsiToUtf8(const std::string& ansi)
{
    if (ansi.empty())
        return ansi;
    int length = static_cast<int>(ansi.size());
    int wide = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
    std::u16string text(static_cast<size_t>(wide), u'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, text.data(), wide);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

std::string DescribeLibrary(const AppletLibrary& library, size_t firstIndex)
{
    std::ostringstream out;
    size_t count = library.Applets().size();
    out << paths::FileNamePart(library.Path()) << ": " << count << (count == 1 ? " applet" : " applets") << "\n";
    for (size_t i = 0; i < count; ++i) {
        const AppletInfo& applet = library.Applets()[i];
        out << "  [" << firstIndex + i << "] " << AnsiToUtf8(applet.name) << "\n";
        out << "      " << AnsiToUtf8(applet.description) << "\n";
        if (applet.icon)
            out << "      icon " << applet.icon->width << "x" << applet.icon->height << ", " << applet.icon->bitCount
                << " bits per pixel\n";
        else
            out << "      no icon\n";
    }
    return out.str();
}

} // namespace plat::cplhost
