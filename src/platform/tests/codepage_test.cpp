#include "platform/codepage.h"
#include "platform/text.h"
#include "support/environment.h"

#include <gtest/gtest.h>

namespace {

struct Conversion
{
    int codePage;
    std::string bytes;
    std::string utf8;
};

class ToUtf8 : public ::testing::TestWithParam<Conversion>
{
};

TEST_P(ToUtf8, convertsWithTheSystemConverter)
{
    EXPECT_EQ(platform::toUtf8(GetParam().bytes, GetParam().codePage), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(CodePages, ToUtf8,
    ::testing::Values(Conversion {850,
                          "\xA5"
                          "and\xA4",
                          "Ñandñ"},
        Conversion {850, "\x82\xA0\xA1\xA2\xA3", "éáíóú"}, Conversion {437, "\xA5", "Ñ"},
        Conversion {1252, "\xD1\xF1\x80", "Ññ€"}, Conversion {932, "\x82\xA0", "あ"},
        Conversion {65001, "a\xC3\xB1\xFF", "añ\xEF\xBF\xBD"}, Conversion {850, "plain", "plain"},
        Conversion {850, std::string("a\0b", 3), std::string("a\0b", 3)}));

// Bytes that a code page leaves undefined, and broken double-byte characters, become U+FFFD on every
// system (Windows itself would decode 0x81 of code page 1252 as U+0081 and a lone lead byte of code
// page 932 as U+30FB), so that a table reads the same everywhere.
INSTANTIATE_TEST_SUITE_P(UndefinedBytes, ToUtf8,
    ::testing::Values(Conversion {1252,
                          "a\x81\x8D\x8F\x90\x9D"
                          "b",
                          "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"
                          "b"},
        Conversion {1250, "\x81\x8A", "\xEF\xBF\xBDŠ"},
        // ISO 8859-1 defines the C1 controls: they stay.
        Conversion {28591, "\x81\xD1", "\xC2\x81Ñ"},
        // A lead byte at the end, and one followed by a byte that cannot end the character.
        Conversion {932, "\x82", "\xEF\xBF\xBD"}, Conversion {932, "a\x82\xA0\x82", "aあ\xEF\xBF\xBD"},
        Conversion {932, "\x82 b", "\xEF\xBF\xBD b"},
        // 0x80 of the double-byte pages, which Windows would decode as U+0080.
        Conversion {932, "a\x80\x82\xA0", "a\xEF\xBF\xBDあ"}, Conversion {949, "\x80", "\xEF\xBF\xBD"}));

TEST(CodePages, unknownCodePageKeepsValidTextAndReplacesTheRest)
{
    EXPECT_FALSE(platform::isCodePageSupported(12345));
    EXPECT_EQ(platform::toUtf8("ab\xA5", 12345), "ab\xEF\xBF\xBD");
}

TEST(CodePages, fromUtf8MarksWhatTheCodePageCannotHold)
{
    EXPECT_EQ(platform::fromUtf8("Ñandú€", 850),
        "\xA5"
        "and\xA3?");
    EXPECT_EQ(platform::fromUtf8("Ñ€", 1252), "\xD1\x80");
    // No look-alike letter for one the code page lacks.
    EXPECT_EQ(platform::fromUtf8("ā", 1252), "?");
}

TEST(CodePages, languageDriversOfSpanishTables)
{
    EXPECT_EQ(platform::codePageForLanguageDriver(0x00), 0);
    EXPECT_EQ(platform::codePageForLanguageDriver(0x01), 437);
    EXPECT_EQ(platform::codePageForLanguageDriver(0x02), 850);
    EXPECT_EQ(platform::codePageForLanguageDriver(0x03), 1252);
    EXPECT_EQ(platform::codePageForLanguageDriver(0x14), 850);
    EXPECT_EQ(platform::codePageForLanguageDriver(0x18), 437);
    EXPECT_EQ(platform::codePageForLanguageDriver(0x57), 1252);
    EXPECT_EQ(platform::codePageForLanguageDriver(0x59), 1252);
    EXPECT_EQ(platform::codePageForLanguageDriver(0xC9), 1251);
    EXPECT_EQ(platform::codePageForLanguageDriver(0x1E), 0);
    EXPECT_EQ(platform::codePageForLanguageDriver(0xFF), 0);
}

TEST(CodePages, dBase7DriverNames)
{
    EXPECT_EQ(platform::codePageForDriverName("DB850ES0"), 850);
    EXPECT_EQ(platform::codePageForDriverName("db437es1"), 437);
    EXPECT_EQ(platform::codePageForDriverName("DBWINUS0"), 1252);
    EXPECT_EQ(platform::codePageForDriverName("DBWINES0"), 1252);
    EXPECT_EQ(platform::codePageForDriverName("DB437GR0"), 737);
    EXPECT_EQ(platform::codePageForDriverName("dbHebrew"), 862);
    EXPECT_EQ(platform::codePageForDriverName(std::string("DB866RU0\0\0\0", 11)), 866);
    EXPECT_EQ(platform::codePageForDriverName(""), 0);
    EXPECT_EQ(platform::codePageForDriverName("XYZ"), 0);
}

#ifdef _WIN32

// Windows has code pages of its own (GetACP, GetOEMCP); the settings of other systems play no part.
TEST(CodePages, systemCodePagesAreTheSystems)
{
    const int ansi = platform::ansiCodePage();
    const int oem = platform::oemCodePage();
    EXPECT_TRUE(platform::isCodePageSupported(ansi)) << ansi;
    EXPECT_TRUE(platform::isCodePageSupported(oem)) << oem;
    support::ScopedEnvironment ansiSetting("EDUCA_ANSI_CP", "1250");
    support::ScopedEnvironment oemSetting("EDUCA_OEM_CP", ansi == 437 ? "850" : "437");
    EXPECT_EQ(platform::ansiCodePage(), ansi);
    EXPECT_EQ(platform::oemCodePage(), oem);
}

#else

TEST(CodePages, systemCodePagesAreSettings)
{
    {
        support::ScopedEnvironment ansi("EDUCA_ANSI_CP", std::nullopt);
        support::ScopedEnvironment oem("EDUCA_OEM_CP", std::nullopt);
        EXPECT_EQ(platform::ansiCodePage(), 1252);
        EXPECT_EQ(platform::oemCodePage(), 850);
    }
    support::ScopedEnvironment ansi("EDUCA_ANSI_CP", "nonsense");
    support::ScopedEnvironment oem("EDUCA_OEM_CP", "437");
    EXPECT_EQ(platform::oemCodePage(), 437);
    EXPECT_EQ(platform::ansiCodePage(), 1252);
}

#endif

TEST(Text, caseIsIgnoredAsTheLanguageDoes)
{
    EXPECT_TRUE(platform::equalsIgnoreCase("abrev", "ABREV"));
    EXPECT_TRUE(platform::equalsIgnoreCase("año", "AÑO"));
    EXPECT_TRUE(platform::equalsIgnoreCase("Índice", "íNDICE"));
    EXPECT_FALSE(platform::equalsIgnoreCase("ano", "AÑO"));
    EXPECT_FALSE(platform::equalsIgnoreCase("ABREV", "ABREV8"));
    EXPECT_FALSE(platform::equalsIgnoreCase("", "A"));
    EXPECT_TRUE(platform::equalsIgnoreCase("", ""));
    // Ill-formed bytes compare as themselves and never run past the end.
    EXPECT_TRUE(platform::equalsIgnoreCase("a\xC3", "A\xC3"));
    EXPECT_FALSE(platform::equalsIgnoreCase("a\xC3", "A\xC4"));
    EXPECT_EQ(platform::asciiLower("ImPoRtAr Ñ"), "importar Ñ");
}

} // namespace
