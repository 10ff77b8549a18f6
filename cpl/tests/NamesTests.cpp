#include "AppletFixture.h"

#include <string>

using AppletNames = AppletTest;

// The name of each language as the Control Panel receives it: in the ANSI
// code page of a machine of that language, cut to 31 bytes at a character
// boundary (the Spanish, Portuguese, Romanian and Thai names are longer).
TEST_F(AppletNames, EachLanguageGetsItsNameInItsCodePage)
{
    struct Case {
        LANGID userUI;
        LANGID systemDefault;
        const char* name;
    } cases[] = {
        {0x0004, 0x0404, "\xBC\xC6\xBE\xDA\xBE\xF7\xB6" "E\xC2_\xA4u\xA8\xE3"},
        {0x0007, 0x0407, "Modem-Diagnose-Tool"},
        {0x000A, 0x0C0A, "Herramienta de diagn\xF3stico del "},
        {0x001D, 0x041D, "Diagnostiskt verktyg f\xF6r modem"},
        {0x0401, 0x0401, "\xC3\xCF\xC7\xC9 \xCA\xD4\xCE\xED\xD5 \xCD\xC7\xE1\xC9 \xC7\xE1\xE3\xE6\xCF\xE3"},
        {0x0409, 0x0409, "Modem Diagnostic Tool"},
        {0x040C, 0x040C, "Outil de diagnostic de modem"},
        {0x0410, 0x0410, "Strumento diagnostico per modem"},
        {0x0411, 0x0411, "\x83\x82\x83" "f\x83\x80\x90" "f\x92" "f\x83" "c\x81[\x83\x8B"},
        {0x0412, 0x0412, "\xB8\xF0\xB5\xA9 \xC1\xF8\xB4\xDC \xB5\xB5\xB1\xB8"},
        {0x0413, 0x0413, "Modemdiagnosetool"},
        {0x0415, 0x0415, "Narzedzie do diagnostyki modemu"},
        {0x0416, 0x0416, "Ferramenta de diagn\xF3stico de mo"},
        {0x0418, 0x0418, "Instrumentul de diagnosticare a"},
        {0x0419, 0x0419, "\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xE0"},
        {0x041A, 0x041A, "Dijagnosti\xE8ki alat za modem"},
        {0x041E, 0x041E,
         "\xE0\xA4\xC3\xD7\xE8\xCD\xA7\xC1\xD7\xCD\xA1\xD2\xC3\xC7\xD4\xB9\xD4\xA8\xA9\xD1\xC2\xE2\xC1\xE0\xB4\xE7\xC1    "},
        {0x0804, 0x0804, "\xB5\xF7\xD6\xC6\xBD\xE2\xB5\xF7\xC6\xF7\xD5\xEF\xB6\xCF\xB9\xA4\xBE\xDF"},
    };
    for (const Case& c : cases) {
        UseMachine(c.userUI, c.systemDefault);
        NEWCPLINFOA info = Inquire();
        EXPECT_EQ(std::string(info.szName), c.name) << std::hex << c.userUI;
        EXPECT_STREQ(info.szInfo, "Diagnose the modem hardware and software problem") << std::hex << c.userUI;
    }
}

// The UI language is asked for in its default sublanguage, except
// simplified Chinese; without a UI language the user's default is taken.
TEST_F(AppletNames, TheLanguageIsNormalisedBeforeTheLookup)
{
    struct Case {
        LANGID userUI;
        LANGID userDefault;
        LANGID systemDefault;
        const char* name;
    } cases[] = {
        {0x0C0A, 0, 0x0C0A, "Herramienta de diagn\xF3stico del "}, // Spanish, modern sort
        {0x0816, 0, 0x0816, "Ferramenta de diagn\xF3stico de mo"}, // Portugal finds Brazil
        {0x0809, 0, 0x0809, "Modem Diagnostic Tool"},             // English (UK)
        {0x0C0C, 0, 0x0C0C, "Outil de diagnostic de modem"},      // French (Canada)
        {0x0C04, 0, 0x0404, "\xBC\xC6\xBE\xDA\xBE\xF7\xB6" "E\xC2_\xA4u\xA8\xE3"}, // Hong Kong: traditional
        {0x1004, 0, 0x0404, "\xBC\xC6\xBE\xDA\xBE\xF7\xB6" "E\xC2_\xA4u\xA8\xE3"}, // Singapore: traditional
        {0x0404, 0, 0x0404, "\xBC\xC6\xBE\xDA\xBE\xF7\xB6" "E\xC2_\xA4u\xA8\xE3"},
        {0x0804, 0, 0x0804, "\xB5\xF7\xD6\xC6\xBD\xE2\xB5\xF7\xC6\xF7\xD5\xEF\xB6\xCF\xB9\xA4\xBE\xDF"},
        {0x0000, 0x0407, 0x0407, "Modem-Diagnose-Tool"},          // no UI language: the user default
        {0x0405, 0, 0x0405, ""},                                   // Czech: no block, no fallback
        {0x0409, 0, 0x0411, "Modem Diagnostic Tool"},             // ASCII fits every code page
        {0x0411, 0, 0x0409, "????????"},                           // Japanese name, western code page
    };
    for (const Case& c : cases) {
        UseMachine(c.userUI, c.systemDefault, "", c.userDefault);
        NEWCPLINFOA info = Inquire();
        EXPECT_EQ(std::string(info.szName), c.name) << std::hex << c.userUI;
    }
}
