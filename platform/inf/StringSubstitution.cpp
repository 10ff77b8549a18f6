#include "inf/StringSubstitution.h"

#include "core/AsciiText.h"
#include "core/CaseFolding.h"
#include "core/Unicode.h"

#include <win/errors.h>
#include <win/setupapi_inf.h>

namespace plat::inf {
namespace {

constexpr std::string_view kStrings = "Strings";

std::string folderOf(const std::string& path)
{
    size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

// The first section whose name matches, by the given predicate.
template <typename Match>
const InfSection* findSection(const std::vector<InfSection>& sections, Match match)
{
    for (const InfSection& section : sections) {
        if (match(section.Name()))
            return &section;
    }
    return nullptr;
}

} // namespace

std::optional<LANGID> StringsSectionLanguage(std::string_view name)
{
    if (name.size() <= kStrings.size() + 1 || name.size() > kStrings.size() + 5)
        return std::nullopt;
    if (!text::EqualNoCase(name.substr(0, kStrings.size()), kStrings) || name[kStrings.size()] != '.')
        return std::nullopt;
    unsigned value = 0;
    for (char c : name.substr(kStrings.size() + 1)) {
        int digit = text::HexDigitValue(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return static_cast<LANGID>(value);
}

void StringTable::Build(const std::vector<InfSection>& sections, const ParseSettings& settings)
{
    m_place = DirIdPlace{settings.windowsDirectory, folderOf(settings.path), settings.osBits};
    LANGID exact = settings.uiLanguage;
    LANGID primary = MAKELANGID(PRIMARYLANGID(exact), SUBLANG_NEUTRAL);
    const InfSection* chosen = findSection(sections, [&](const std::string& name) {
        return StringsSectionLanguage(name) == exact;
    });
    if (!chosen) {
        chosen = findSection(sections, [&](const std::string& name) {
            return StringsSectionLanguage(name) == primary;
        });
    }
    if (!chosen)
        chosen = findSection(sections, [](const std::string& name) { return text::EqualNoCase(name, kStrings); });
    if (!chosen)
        return;
    m_chosen = chosen->Name();
    for (const InfLine& line : chosen->Lines()) {
        if (!line.HasKey() || line.FieldCount() == 0)
            continue;
        m_values.try_emplace(text::FoldCase(line.Key()), *line.Field(1)); // the first line of a key wins
    }
}

std::optional<std::string> StringTable::Lookup(std::string_view token) const
{
    if (token.empty())
        return std::string("%");
    if (auto found = m_values.find(text::FoldCase(token)); found != m_values.end())
        return found->second;
    if (token.size() > 9)
        return std::nullopt;
    int dirid = 0;
    for (char c : token) {
        if (c < '0' || c > '9')
            return std::nullopt;
        dirid = dirid * 10 + (c - '0');
    }
    return DirIdFolder(dirid, m_place);
}

void StringTable::Expand(std::string_view raw, std::string* out) const
{
    // Past this many bytes the text has more than MAX_INF_STRING_LENGTH
    // characters whatever it holds (a character takes at most three bytes
    // per UTF-16 unit): the rest is cut anyway.
    constexpr size_t kEnough = 3 * MAX_INF_STRING_LENGTH + 3;
    size_t first = raw.find('%');
    out->assign(raw.substr(0, first));
    if (first != std::string_view::npos) {
        size_t start = first;
        bool inside = false;
        for (size_t p = first; p < raw.size() && out->size() <= kEnough; ++p) {
            if (raw[p] != '%')
                continue;
            inside = !inside;
            if (inside) {
                out->append(raw.substr(start, p - start));
                start = p;
                continue;
            }
            std::string_view token = raw.substr(start + 1, p - start - 1);
            if (auto value = Lookup(token))
                out->append(*value);
            else
                out->append(raw.substr(start, p - start + 1));
            start = p + 1;
        }
        if (out->size() <= kEnough)
            out->append(raw.substr(start));
    }
    text::CutToUtf16Length(out, MAX_INF_STRING_LENGTH);
}

} // namespace plat::inf
