// String substitution: what %token% in a field becomes.
//
// - %strkey% is looked up (any case) in one strings section, chosen by the
//   machine's user default UI language as SetupAPI chooses it: the section
//   [Strings.xxxx] whose hexadecimal language ID equals the UI language
//   (e.g. Strings.0407), else the one with the UI language's primary
//   language and a neutral sublanguage (Strings.0007), else [Strings]. Only
//   the chosen section is read, and a strkey's value is the first field of
//   its line, inserted as written: it is not substituted in its turn.
// - A token of decimal digits that no string names is a directory
//   identifier (DirIds.h): %10% is the Windows folder, %11% system32, ...
// - %% is one '%'. A token that names nothing is left as written, percent
//   signs included, and an unpaired '%' is kept.
//
// Limits: a value of the chosen strings section is inserted whole however
// long it is, as Windows since Vista inserts it; a field that substitution
// makes longer than MAX_INF_STRING_LENGTH (4096) characters is cut to that
// length, as Windows 10 cuts it. Neither keeps the file from opening.
#pragma once

#include "inf/DirIds.h"
#include "inf/InfFile.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace plat::inf {

class StringTable {
public:
    // Reads the chosen strings section from the sections as the lexer left
    // them (before substitution).
    void Build(const std::vector<InfSection>& sections, const ParseSettings& settings);

    // The substituted form of `raw`, cut to MAX_INF_STRING_LENGTH
    // characters.
    void Expand(std::string_view raw, std::string* out) const;

    // The name of the chosen section, "" when the file has none.
    const std::string& ChosenSection() const { return m_chosen; }

private:
    std::optional<std::string> Lookup(std::string_view token) const;

    std::unordered_map<std::string, std::string> m_values; // folded key -> value
    std::string m_chosen;
    DirIdPlace m_place;
};

// The language ID that decorates a strings section name ("Strings.0407" ->
// 0x0407); nullopt for [Strings] itself and for any other name.
std::optional<LANGID> StringsSectionLanguage(std::string_view sectionName);

} // namespace plat::inf
