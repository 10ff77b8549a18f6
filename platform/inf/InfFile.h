// An INF file as SetupAPI sees it once it is open: sections in the order
// they first appear (a section written twice is one section with the lines
// of both, in file order), lines of fields with every %strkey% and %dirid%
// already substituted. Section names and keys are matched case-insensitively.
// All text is Unicode, held as UTF-8 (core/Unicode.h): names given to the
// lookups are UTF-8 too.
//
// Only this folder reads an InfFile: the INF functions of setupapi.dll
// (InfApi.cpp, declared in setupapi_inf.h) reach it through its HINF, and
// the device installer and the other families go through those functions
// as any program does. An InfFile never changes once parsed.
#pragma once

#include <win/types.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace plat::inf {

class InfLine {
public:
    // A line written as "key = fields" has a key; so has a line of exactly
    // one field and no '=', whose key is that field.
    bool HasKey() const { return m_hasKey; }
    const std::string& Key() const { return m_fields[0]; }
    // The key with every character folded (core/CaseFolding.h), for lookups.
    const std::string& FoldedKey() const { return m_foldedKey; }
    // Fields after the key.
    size_t FieldCount() const { return m_fields.size() - 1; }
    // Field 0 is the key; null for the key of a line without one and past
    // the last field.
    const std::string* Field(size_t index) const;
    // 1-based line of the file where the line starts.
    UINT SourceLine() const { return m_sourceLine; }

private:
    friend class InfBuilder;
    friend class InfFile;
    std::vector<std::string> m_fields{std::string()}; // [0] is the key, "" when none
    std::string m_foldedKey;                          // FoldCase of the key
    bool m_hasKey = false;
    UINT m_sourceLine = 0;
};

class InfSection {
public:
    // The name as it was first written.
    const std::string& Name() const { return m_name; }
    const std::vector<InfLine>& Lines() const { return m_lines; }
    // The first line whose key equals `key` (any case), from line `from` on.
    std::optional<size_t> FindKey(std::string_view key, size_t from = 0) const;

private:
    friend class InfBuilder;
    friend class InfFile;
    std::string m_name;
    std::vector<InfLine> m_lines;
};

// Style of a parsed file: WIN4 when [Version] has a known Signature.
enum class InfStyle { OldNt, Win4 };

// What parsing needs to know of the machine.
struct ParseSettings {
    LANGID uiLanguage = 0x0409;              // chooses the [Strings.xxxx] section
    UINT codePage = 1252;                    // of a file without a byte-order mark
    std::string windowsDirectory = "C:\\Windows";
    int osBits = 64;  // the system's word size, for the directory identifiers
    std::string path; // Windows path of the file; its folder is %01%, "" for none
};

struct ParseError {
    DWORD code = 0; // ERROR_* of setupapi_inf.h
    UINT line = 0;  // 1-based, 0 when the error has no line
};

class InfFile {
public:
    // Parses the bytes of an INF file. Null with `error` filled when the
    // file is not well formed; the style is not checked here.
    static std::shared_ptr<const InfFile> Parse(std::string_view bytes, const ParseSettings& settings,
                                                ParseError* error);

    const std::vector<InfSection>& Sections() const { return m_sections; }
    std::optional<size_t> SectionIndex(std::string_view name) const;
    const InfSection* FindSection(std::string_view name) const;
    // The first field of the first line with `key` in `section`, or null.
    const std::string* Value(std::string_view section, std::string_view key) const;

    InfStyle Style() const { return m_style; }
    // The Windows path the file was opened from ("" when parsed from memory).
    const std::string& Path() const { return m_path; }

private:
    friend class InfBuilder;
    std::vector<InfSection> m_sections;
    std::unordered_map<std::string, size_t> m_index; // folded name -> section
    InfStyle m_style = InfStyle::OldNt;
    std::string m_path;
};

} // namespace plat::inf
