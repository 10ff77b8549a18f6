#include "inf/InfFile.h"

#include "core/CaseFolding.h"
#include "inf/InfLexer.h"
#include "inf/StringSubstitution.h"
#include "inf/TextDecoding.h"

#include <win/errors.h>
#include <win/setupapi_inf.h>

namespace plat::inf {

// Collects the lexer's sections and lines into an InfFile, merging sections
// of the same name.
class InfBuilder final : public InfLexerSink {
public:
    explicit InfBuilder(InfFile& file)
        : m_file(file)
    {
    }

    void OnSection(std::string name, UINT) override
    {
        std::string folded = text::FoldCase(name);
        auto [it, added] = m_file.m_index.try_emplace(std::move(folded), m_file.m_sections.size());
        if (added) {
            m_file.m_sections.emplace_back();
            m_file.m_sections.back().m_name = std::move(name);
        }
        m_section = &m_file.m_sections[it->second];
    }

    void OnField(std::string text, FieldRole role, UINT line) override
    {
        if (!m_line) {
            m_section->m_lines.emplace_back();
            m_line = &m_section->m_lines.back();
            m_line->m_sourceLine = line;
        }
        if (role == FieldRole::Key) {
            m_line->m_fields[0] = std::move(text);
            m_line->m_hasKey = true;
        } else {
            m_line->m_fields.push_back(std::move(text));
        }
    }

    void OnLineEnd() override
    {
        // A line of a single field and no '=' has that field as its key too.
        if (m_line && !m_line->m_hasKey && m_line->m_fields.size() == 2) {
            m_line->m_fields[0] = m_line->m_fields[1];
            m_line->m_hasKey = true;
        }
        m_line = nullptr;
    }

    // Substitutes every key and field.
    static void Substitute(InfFile& file, const StringTable& strings)
    {
        std::string expanded;
        for (InfSection& section : file.m_sections) {
            for (InfLine& line : section.m_lines) {
                for (size_t i = line.m_hasKey ? 0 : 1; i < line.m_fields.size(); ++i) {
                    std::string& field = line.m_fields[i];
                    if (field.find('%') == std::string::npos)
                        continue;
                    strings.Expand(field, &expanded);
                    field.swap(expanded);
                }
            }
        }
    }

    static void FoldKeys(InfFile& file)
    {
        for (InfSection& section : file.m_sections) {
            for (InfLine& line : section.m_lines) {
                if (line.m_hasKey)
                    line.m_foldedKey = text::FoldCase(line.m_fields[0]);
            }
        }
    }

    static InfStyle StyleOf(const InfFile& file)
    {
        const std::string* signature = file.Value("Version", "Signature");
        if (signature &&
            (text::EqualNoCase(*signature, "$Windows NT$") || text::EqualNoCase(*signature, "$Chicago$") ||
             text::EqualNoCase(*signature, "$Windows 95$")))
            return InfStyle::Win4;
        return InfStyle::OldNt;
    }

private:
    InfFile& m_file;
    InfSection* m_section = nullptr;
    InfLine* m_line = nullptr;
};

const std::string* InfLine::Field(size_t index) const
{
    if (index == 0)
        return m_hasKey ? &m_fields[0] : nullptr;
    return index < m_fields.size() ? &m_fields[index] : nullptr;
}

std::optional<size_t> InfSection::FindKey(std::string_view key, size_t from) const
{
    std::string folded = text::FoldCase(key);
    for (size_t i = from; i < m_lines.size(); ++i) {
        if (m_lines[i].HasKey() && m_lines[i].FoldedKey() == folded)
            return i;
    }
    return std::nullopt;
}

std::optional<size_t> InfFile::SectionIndex(std::string_view name) const
{
    auto found = m_index.find(text::FoldCase(name));
    if (found == m_index.end())
        return std::nullopt;
    return found->second;
}

const InfSection* InfFile::FindSection(std::string_view name) const
{
    auto index = SectionIndex(name);
    return index ? &m_sections[*index] : nullptr;
}

const std::string* InfFile::Value(std::string_view section, std::string_view key) const
{
    const InfSection* found = FindSection(section);
    if (!found)
        return nullptr;
    auto line = found->FindKey(key);
    return line ? found->Lines()[*line].Field(1) : nullptr;
}

std::shared_ptr<const InfFile> InfFile::Parse(std::string_view bytes, const ParseSettings& settings,
                                              ParseError* error)
{
    auto file = std::make_shared<InfFile>();
    file->m_path = settings.path;
    std::string text = DecodeInfBytes(bytes, settings.codePage);

    InfBuilder builder(*file);
    LexOutcome lexed = LexInf(text, builder);
    if (lexed.error != 0) {
        *error = ParseError{lexed.error, lexed.errorLine};
        return nullptr;
    }
    // Text before the first section is tolerated in a file that has a
    // [Strings] section, as SetupAPI tolerates it.
    if (lexed.strayLine != 0 && !file->SectionIndex("Strings")) {
        *error = ParseError{ERROR_EXPECTED_SECTION_NAME, lexed.strayLine};
        return nullptr;
    }

    StringTable strings;
    strings.Build(file->m_sections, settings);
    InfBuilder::Substitute(*file, strings);
    InfBuilder::FoldKeys(*file);
    file->m_style = InfBuilder::StyleOf(*file);
    return file;
}

} // namespace plat::inf
