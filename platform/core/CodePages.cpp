#include "core/CodePages.h"

#include "core/Machine.h"
#include "core/Unicode.h"

#include <algorithm>
#include <array>
#include <iconv.h>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace plat::codepages {
namespace {

constexpr char16_t kNone = 0xFFFF;
constexpr char16_t kReplacement = 0xFFFD;

struct PageInfo {
    UINT codePage;
    const char* iconvName;
    bool doubleByte;
};

constexpr PageInfo kPages[] = {
    {874, "CP874", false},   {932, "CP932", true},    {936, "CP936", true},    {949, "CP949", true},
    {950, "CP950", true},    {1250, "CP1250", false}, {1251, "CP1251", false}, {1252, "CP1252", false},
    {1253, "CP1253", false}, {1254, "CP1254", false}, {1255, "CP1255", false}, {1256, "CP1256", false},
    {1257, "CP1257", false}, {1258, "CP1258", false},
};

const PageInfo* infoOf(UINT codePage)
{
    for (const PageInfo& info : kPages) {
        if (info.codePage == codePage)
            return &info;
    }
    return nullptr;
}

bool leadByteOf(UINT codePage, unsigned char b)
{
    switch (codePage) {
    case 932:
        return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 936:
    case 949:
    case 950:
        return b >= 0x81 && b <= 0xFE;
    default:
        return false;
    }
}

// An iconv conversion descriptor, closed on every path.
class Iconv {
public:
    Iconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Iconv()
    {
        if (Valid())
            iconv_close(m_cd);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool Valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // One character of the code page to one UTF-16 unit, or kNone.
    char16_t Convert(const unsigned char* bytes, size_t length)
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char in[2] = {static_cast<char>(bytes[0]), length > 1 ? static_cast<char>(bytes[1]) : '\0'};
        char out[8];
        char* inPtr = in;
        char* outPtr = out;
        size_t inLeft = length, outLeft = sizeof(out);
        if (iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0)
            return kNone;
        // 1255 and 1258 hold a character back in case a combining mark follows.
        if (iconv(m_cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1) || sizeof(out) - outLeft != 2)
            return kNone;
        return static_cast<char16_t>(static_cast<unsigned char>(out[0]) | (static_cast<unsigned char>(out[1]) << 8));
    }

private:
    iconv_t m_cd;
};

// Both directions of one ANSI code page.
struct Table {
    std::array<char16_t, 256> single{};
    std::unordered_map<uint16_t, char16_t> pairs;   // lead << 8 | trail
    std::unordered_map<char16_t, uint16_t> encode;  // one byte, or lead << 8 | trail
};

std::unique_ptr<Table> buildTable(const PageInfo& info)
{
    Iconv cd("UTF-16LE", info.iconvName);
    if (!cd.Valid())
        return nullptr;
    auto table = std::make_unique<Table>();
    for (unsigned b = 0; b < 256; ++b) {
        auto byte = static_cast<unsigned char>(b);
        table->single[b] = leadByteOf(info.codePage, byte) ? kNone : cd.Convert(&byte, 1);
        if (table->single[b] != kNone)
            table->encode.emplace(table->single[b], static_cast<uint16_t>(b));
    }
    if (info.doubleByte) {
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
            if (!leadByteOf(info.codePage, static_cast<unsigned char>(lead)))
                continue;
            for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
                unsigned char pair[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
                char16_t c = cd.Convert(pair, 2);
                if (c == kNone)
                    continue;
                auto code = static_cast<uint16_t>(lead << 8 | trail);
                table->pairs.emplace(code, c);
                table->encode.emplace(c, code); // the lowest code wins for duplicates
            }
        }
    }
    return table;
}

const Table* tableOf(UINT codePage)
{
    static std::mutex mutex;
    static std::map<UINT, std::unique_ptr<Table>> tables;
    const PageInfo* info = infoOf(codePage);
    if (!info)
        return nullptr;
    std::lock_guard<std::mutex> lock(mutex);
    auto& slot = tables[codePage];
    if (!slot)
        slot = buildTable(*info);
    return slot.get();
}

bool isHigh(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool isLow(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

Encoded encodeUtf8(std::u16string_view text)
{
    Encoded result;
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (isHigh(c) && i + 1 < text.size() && isLow(text[i + 1])) {
            AppendUtf8(0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00), &result.bytes);
            ++i;
        } else if (isHigh(c) || isLow(c)) {
            AppendUtf8(kReplacement, &result.bytes);
            result.invalid = true;
        } else {
            AppendUtf8(c, &result.bytes);
        }
    }
    return result;
}

// The length of the UTF-8 sequence at `i` and its code point; 0 when the
// bytes there are no valid sequence.
size_t utf8Sequence(std::string_view s, size_t i, char32_t* c)
{
    auto at = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char b = at(i);
    size_t length;
    char32_t value;
    if (b < 0x80) {
        *c = b;
        return 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
        value = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        value = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        value = b & 0x07;
    } else {
        return 0;
    }
    if (i + length > s.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((at(i + k) & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (at(i + k) & 0x3F);
    }
    bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
    if (overlong || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *c = value;
    return length;
}

Decoded decodeUtf8(std::string_view bytes)
{
    Decoded result;
    for (size_t i = 0; i < bytes.size();) {
        char32_t c = 0;
        size_t length = utf8Sequence(bytes, i, &c);
        if (length == 0) {
            result.text += kReplacement;
            result.invalid = true;
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            result.text += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            result.text += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            result.text += static_cast<char16_t>(c);
        }
        i += length;
    }
    return result;
}

} // namespace

UINT AnsiCodePageOf(LANGID language)
{
    WORD primary = PRIMARYLANGID(language);
    WORD sub = SUBLANGID(language);
    switch (primary) {
    case 0x01: case 0x20: case 0x29: case 0x8C: // Arabic, Urdu, Persian, Dari
        return 1256;
    case 0x02: case 0x19: case 0x22: case 0x23: case 0x2F: // Bulgarian, Russian, Ukrainian, Belarusian, Macedonian
    case 0x3F: case 0x40: case 0x44: case 0x50:            // Kazakh, Kyrgyz, Tatar, Mongolian
        return 1251;
    case 0x04: // Chinese: Taiwan, Hong Kong, Macau traditional; PRC, Singapore simplified
        return (sub == 1 || sub == 3 || sub == 5 || sub == 0x1F) ? 950 : 936;
    case 0x05: case 0x0E: case 0x15: case 0x18: case 0x1B: case 0x1C: case 0x24: // central European
        return 1250;
    case 0x08:
        return 1253;
    case 0x0D:
        return 1255;
    case 0x11:
        return 932;
    case 0x12:
        return 949;
    case 0x1A: // Croatian and Bosnian (Latin), Serbian in either script
        return (sub == 3 || sub == 7 || sub == 8 || sub == 10 || sub == 12) ? 1251 : 1250;
    case 0x1E:
        return 874;
    case 0x1F:
        return 1254;
    case 0x25: case 0x26: case 0x27: // Estonian, Latvian, Lithuanian
        return 1257;
    case 0x2A:
        return 1258;
    case 0x2C: case 0x43: // Azeri, Uzbek: Latin 1254, Cyrillic 1251
        return sub == 2 ? 1251 : 1254;
    default:
        return 1252;
    }
}

UINT SystemAnsiCodePage()
{
    const Machine* machine = CurrentMachine();
    return AnsiCodePageOf(machine ? machine->Langs().systemDefault : 0x0409);
}

UINT Resolve(UINT codePage)
{
    return (codePage == 0 /* CP_ACP */ || codePage == 3 /* CP_THREAD_ACP */) ? SystemAnsiCodePage() : codePage;
}

bool IsSupported(UINT codePage)
{
    return codePage == kUtf8 || infoOf(codePage) != nullptr;
}

bool IsLeadByte(UINT codePage, unsigned char byte)
{
    return leadByteOf(Resolve(codePage), byte);
}

Encoded Encode(UINT codePage, std::u16string_view text, std::string_view defaultChar)
{
    if (codePage == kUtf8)
        return encodeUtf8(text);
    Encoded result;
    const Table* table = tableOf(codePage);
    if (!table)
        return result;
    for (size_t i = 0; i < text.size(); ++i) {
        auto it = table->encode.find(text[i]);
        if (it == table->encode.end()) {
            if (isHigh(text[i]) && i + 1 < text.size() && isLow(text[i + 1]))
                ++i; // one default character for the whole pair
            result.bytes += defaultChar;
            result.usedDefault = true;
        } else if (it->second > 0xFF) {
            result.bytes += static_cast<char>(it->second >> 8);
            result.bytes += static_cast<char>(it->second & 0xFF);
        } else {
            result.bytes += static_cast<char>(it->second);
        }
    }
    return result;
}

Decoded Decode(UINT codePage, std::string_view bytes)
{
    if (codePage == kUtf8)
        return decodeUtf8(bytes);
    Decoded result;
    const Table* table = tableOf(codePage);
    if (!table)
        return result;
    for (size_t i = 0; i < bytes.size(); ++i) {
        auto b = static_cast<unsigned char>(bytes[i]);
        if (!leadByteOf(codePage, b)) {
            char16_t c = table->single[b];
            result.invalid = result.invalid || c == kNone;
            result.text += c == kNone ? static_cast<char16_t>(b) : c;
            continue;
        }
        if (i + 1 < bytes.size()) {
            auto code = static_cast<uint16_t>(b << 8 | static_cast<unsigned char>(bytes[i + 1]));
            if (auto it = table->pairs.find(code); it != table->pairs.end()) {
                result.text += it->second;
                ++i;
                continue;
            }
            ++i;
        }
        result.text += u'?';
        result.invalid = true;
    }
    return result;
}

size_t CharBoundary(UINT codePage, std::string_view bytes, size_t limit)
{
    if (bytes.size() <= limit)
        return bytes.size();
    size_t end = 0;
    for (size_t i = 0; i < bytes.size();) {
        size_t length = 1;
        auto b = static_cast<unsigned char>(bytes[i]);
        if (codePage == kUtf8) {
            char32_t c;
            length = std::max<size_t>(1, utf8Sequence(bytes, i, &c));
        } else if (leadByteOf(codePage, b) && i + 1 < bytes.size()) {
            length = 2;
        }
        if (i + length > limit)
            break;
        i += length;
        end = i;
    }
    return end;
}

std::string DecodeToUtf8(UINT codePage, std::string_view bytes)
{
    return text::Utf16ToUtf8(Decode(codePage, bytes).text);
}

std::string ToMachineAnsi(std::string_view utf8)
{
    if (text::IsAscii(utf8))
        return std::string(utf8);
    return Encode(SystemAnsiCodePage(), text::Utf8ToUtf16(utf8), "?").bytes;
}

std::string FromMachineAnsi(std::string_view ansi)
{
    if (text::IsAscii(ansi))
        return std::string(ansi);
    return DecodeToUtf8(SystemAnsiCodePage(), ansi);
}

void AppendUtf8(char32_t c, std::string* out)
{
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        c = 0xFFFD;
    if (c < 0x80) {
        out->push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (c >> 6)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (c >> 12)));
        out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (c >> 18)));
        out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

} // namespace plat::codepages
