#include "help/qt/html_text.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace {

struct TextCase
{
    const char* input;
    const char* expected;
};

void PrintTo(const TextCase& c, std::ostream* out)
{
    *out << "'" << c.input << "'";
}

class DecodeEntitiesTest : public testing::TestWithParam<TextCase>
{
};

TEST_P(DecodeEntitiesTest, referencesBecomeUtf8)
{
    EXPECT_EQ(help::qt::decodeEntities(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(References, DecodeEntitiesTest,
    testing::Values(TextCase {"D&oacute;nde", "D\xC3\xB3nde"},
        TextCase {"Espa&ntilde;a",
            "Espa\xC3\xB1"
            "a"},
        TextCase {"&quot;*&quot;", "\"*\""}, TextCase {"a &amp; b", "a & b"},
        TextCase {"&#241;&#xF1;&#XD1;", "\xC3\xB1\xC3\xB1\xC3\x91"}, TextCase {"&euro;", "\xE2\x82\xAC"},
        TextCase {"&#128512;", "\xF0\x9F\x98\x80"},
        // Not references: left as they are.
        TextCase {"R&D", "R&D"}, TextCase {"&desconocida;", "&desconocida;"}, TextCase {"&#0;", "&#0;"},
        TextCase {"&#xD800;", "&#xD800;"}, TextCase {"&#x110000;", "&#x110000;"}, TextCase {"&#12a;", "&#12a;"},
        TextCase {"fin &", "fin &"}, TextCase {"&;", "&;"}));

class HtmlToUtf8Test : public testing::TestWithParam<TextCase>
{
};

TEST_P(HtmlToUtf8Test, charsetDecides)
{
    EXPECT_EQ(help::qt::htmlToUtf8(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Pages, HtmlToUtf8Test,
    testing::Values(
        // Declared UTF-8 stays as it is.
        TextCase {"<meta charset=\"utf-8\">\xC3\xB1", "<meta charset=\"utf-8\">\xC3\xB1"},
        // Declared windows-1252 (and ISO-8859-1, read as windows-1252) is converted.
        TextCase {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\xF1\x80",
            "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\xC3\xB1\xE2\x82\xAC"},
        TextCase {"<META CONTENT=\"text/html; CHARSET=ISO-8859-1\">\xE9",
            "<META CONTENT=\"text/html; CHARSET=ISO-8859-1\">\xC3\xA9"},
        // Nothing declared: windows-1252, unless the bytes are UTF-8 beyond ASCII.
        TextCase {"<p>Espa\xF1"
                  "a</p>",
            "<p>Espa\xC3\xB1"
            "a</p>"},
        TextCase {"<p>Espa\xC3\xB1"
                  "a</p>",
            "<p>Espa\xC3\xB1"
            "a</p>"},
        TextCase {"<p>plain</p>", "<p>plain</p>"},
        // A byte order mark means UTF-8 and is dropped.
        TextCase {"\xEF\xBB\xBF<p>\xC3\xA1</p>", "<p>\xC3\xA1</p>"},
        // An unknown charset falls back to the undeclared rule.
        TextCase {"<meta charset=klingon>\xE1", "<meta charset=klingon>\xC3\xA1"}));

TEST(HtmlText, declaredCharsetIsFoundInEitherMetaForm)
{
    EXPECT_EQ(help::qt::declaredCharset("<meta charset='UTF-8'>"), "utf-8");
    EXPECT_EQ(help::qt::declaredCharset("<meta content=\"text/html; charset = Windows-1252\">"), "windows-1252");
    EXPECT_EQ(help::qt::declaredCharset("<p>charset is a word here</p>"), "");
    EXPECT_EQ(help::qt::declaredCharset(""), "");
}

TEST(HtmlText, validUtf8RejectsOverlongSurrogatesAndTruncation)
{
    EXPECT_TRUE(help::qt::isValidUtf8("a\xC3\xB1\xE2\x82\xAC\xF0\x9F\x98\x80"));
    EXPECT_FALSE(help::qt::isValidUtf8("\xC0\xAF")); // overlong "/"
    EXPECT_FALSE(help::qt::isValidUtf8("\xE0\x80\xAF")); // overlong
    EXPECT_FALSE(help::qt::isValidUtf8("\xED\xA0\x80")); // surrogate
    EXPECT_FALSE(help::qt::isValidUtf8("\xF4\x90\x80\x80")); // beyond U+10FFFF
    EXPECT_FALSE(help::qt::isValidUtf8("\xC3")); // cut short
    EXPECT_FALSE(help::qt::isValidUtf8("\xF1 ")); // windows-1252 text
}

} // namespace
