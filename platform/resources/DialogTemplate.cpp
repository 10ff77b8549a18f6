#include "resources/DialogTemplate.h"

#include "core/CodePages.h"

#include <cstring>

namespace plat::resources {
namespace {

constexpr DWORD kSetFont = 0x40; // DS_SETFONT

class Cursor {
public:
    Cursor(const BYTE* data, DWORD size) : m_data(data), m_size(size) {}

    bool Word(WORD* out)
    {
        if (m_at + 2 > m_size)
            return false;
        std::memcpy(out, m_data + m_at, 2);
        m_at += 2;
        return true;
    }
    bool Dword(DWORD* out)
    {
        if (m_at + 4 > m_size)
            return false;
        std::memcpy(out, m_data + m_at, 4);
        m_at += 4;
        return true;
    }
    bool Short(int* out)
    {
        WORD w = 0;
        if (!Word(&w))
            return false;
        *out = static_cast<int16_t>(w);
        return true;
    }
    bool String(std::u16string* out)
    {
        for (WORD c = 0;;) {
            if (!Word(&c))
                return false;
            if (c == 0)
                return true;
            *out += static_cast<char16_t>(c);
        }
    }
    // A menu or class: none (0), an ordinal (0xFFFF, number) or a string.
    bool StringOrOrdinal()
    {
        WORD first = 0;
        if (!Word(&first))
            return false;
        if (first == 0)
            return true;
        if (first == 0xFFFF)
            return Word(&first);
        m_at -= 2;
        std::u16string ignored;
        return String(&ignored);
    }
    bool Skip(DWORD bytes)
    {
        if (m_at + bytes > m_size)
            return false;
        m_at += bytes;
        return true;
    }

private:
    const BYTE* m_data;
    DWORD m_size;
    DWORD m_at = 0;
};

std::string utf8(const std::u16string& text)
{
    return codepages::Encode(codepages::kUtf8, text, "?").bytes;
}

} // namespace

std::optional<DialogTemplate> ParseDialogTemplate(const BYTE* data, DWORD size)
{
    DialogTemplate dialog;
    Cursor in(data, size);
    WORD version = 0, signature = 0, items = 0;
    if (!in.Word(&version) || !in.Word(&signature))
        return std::nullopt;
    dialog.extended = version == 1 && signature == 0xFFFF;
    bool ok;
    if (dialog.extended) {
        DWORD helpId = 0;
        ok = in.Dword(&helpId) && in.Dword(&dialog.exStyle) && in.Dword(&dialog.style);
    } else {
        dialog.style = DWORD{version} | DWORD{signature} << 16;
        ok = in.Dword(&dialog.exStyle);
    }
    ok = ok && in.Word(&items) && in.Short(&dialog.x) && in.Short(&dialog.y) && in.Short(&dialog.cx) &&
         in.Short(&dialog.cy) && in.StringOrOrdinal() && in.StringOrOrdinal();
    std::u16string caption;
    ok = ok && in.String(&caption);
    if (!ok)
        return std::nullopt;
    dialog.items = items;
    dialog.caption = utf8(caption);
    if (dialog.style & kSetFont) {
        WORD pointSize = 0;
        std::u16string font;
        if (!in.Word(&pointSize) || (dialog.extended && !in.Skip(4)) || !in.String(&font))
            return std::nullopt;
        dialog.pointSize = pointSize;
        dialog.fontName = utf8(font);
    }
    return dialog;
}

} // namespace plat::resources
