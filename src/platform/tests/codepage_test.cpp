#include "platform/codepage.h"
#include "platform/text.h"

#include <cstdlib>
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
        Conversion {1252, "\xD1\xF1\x80", "Ññ€"}, Conversion {1252, "\x81", "\xEF\xBF\xBD"}, // no character in 1252
        Conversion {932, "\x82\xA0", "あ"}, Conversion {932, "\x82", "\xEF\xBF\xBD"},
        Conversion {65001, "a\xC3\xB1\xFF", "añ\xEF\xBF\xBD"}, Conversion {850, "plain", "plain"},
        Conversion {850, std::string("a\0b", 3), std::string("a\0b", 3)}));

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

TEST(CodePages, systemCodePagesAreSettings)
{
    ::unsetenv("EDUCA_ANSI_CP");
    ::unsetenv("EDUCA_OEM_CP");
    EXPECT_EQ(platform::ansiCodePage(), 1252);
    EXPECT_EQ(platform::oemCodePage(), 850);
    ::setenv("EDUCA_OEM_CP", "437", 1);
    ::setenv("EDUCA_ANSI_CP", "nonsense", 1);
    EXPECT_EQ(platform::oemCodePage(), 437);
    EXPECT_EQ(platform::ansiCodePage(), 1252);
    ::unsetenv("EDUCA_ANSI_CP");
    ::unsetenv("EDUCA_OEM_CP");
}

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
