// Fuzzes the INF parser: decoding, lexing, section building and string
// substitution, then reads every field back as the SetupAPI functions do.
#include "inf/FieldValues.h"
#include "inf/InfFile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    plat::inf::ParseSettings settings;
    settings.path = "C:\\Windows\\INF\\fuzz.inf";
    // The first byte picks the UI language, so that decorated strings
    // sections are chosen too, and the code page of an ANSI file.
    if (size > 0) {
        settings.uiLanguage = data[0] & 1 ? 0x0407 : 0x0409;
        settings.codePage = data[0] & 2 ? 932 : 1252;
    }
    plat::inf::ParseError error;
    auto file = plat::inf::InfFile::Parse(std::string_view(reinterpret_cast<const char*>(data), size), settings,
                                          &error);
    if (!file)
        return 0;
    size_t total = 0;
    for (const auto& section : file->Sections()) {
        if (file->FindSection(section.Name()) != &section)
            __builtin_trap();
        for (const auto& line : section.Lines()) {
            for (size_t i = 0; i <= line.FieldCount(); ++i) {
                if (const std::string* field = line.Field(i)) {
                    total += field->size();
                    (void)plat::inf::ParseIntField(*field);
                    (void)plat::inf::ParseHexByteField(*field);
                }
            }
            if (line.HasKey() && section.FindKey(line.Key()) > std::optional<size_t>(&line - section.Lines().data()))
                __builtin_trap();
        }
    }
    return total == SIZE_MAX ? 1 : 0;
}
