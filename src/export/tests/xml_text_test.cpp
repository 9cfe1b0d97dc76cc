#include "export/xml_text.h"

#include <gtest/gtest.h>
#include <string>

namespace exporter {
namespace {

using Kind = XmlTextProblem::Kind;

struct XmlTextCase
{
    std::string text;
    std::optional<Kind> problem;
    char32_t character = 0;
    std::size_t offset = 0;
};

class XmlTextTest : public ::testing::TestWithParam<XmlTextCase>
{
};

TEST_P(XmlTextTest, findsFirstProblem)
{
    const auto& c = GetParam();
    const auto found = findXmlTextProblem(c.text);
    ASSERT_EQ(found.has_value(), c.problem.has_value());
    if (!found)
        return;
    EXPECT_EQ(found->kind, *c.problem);
    EXPECT_EQ(found->offset, c.offset);
    if (found->kind == Kind::InvalidCharacter) {
        EXPECT_EQ(static_cast<std::uint32_t>(found->character), static_cast<std::uint32_t>(c.character));
    }
}

INSTANTIATE_TEST_SUITE_P(Xml10, XmlTextTest,
    ::testing::Values(XmlTextCase {"", std::nullopt}, XmlTextCase {"Muñoz & <Goñi> \"x\"", std::nullopt},
        XmlTextCase {"a\tb\nc\rd", std::nullopt}, // allowed controls
        XmlTextCase {"\x7f", std::nullopt}, // DEL is an XML 1.0 Char
        XmlTextCase {"\xf0\x9f\x98\x80", std::nullopt}, // U+1F600
        XmlTextCase {"\xef\xbf\xbd", std::nullopt}, // U+FFFD
        XmlTextCase {"ab\x01", Kind::InvalidCharacter, 0x01, 2}, // SOH
        XmlTextCase {std::string("a\0b", 3), Kind::InvalidCharacter, 0x00, 1},
        XmlTextCase {"\x1b[0m", Kind::InvalidCharacter, 0x1B, 0}, // escape
        XmlTextCase {"ñ\xef\xbf\xbe", Kind::InvalidCharacter, 0xFFFE, 2},
        XmlTextCase {"\xef\xbf\xbf", Kind::InvalidCharacter, 0xFFFF, 0},
        XmlTextCase {"abc\xff", Kind::InvalidUtf8, 0, 3}, // not a lead byte
        XmlTextCase {"\xc3", Kind::InvalidUtf8, 0, 0}, // cut short
        XmlTextCase {"\xc3(", Kind::InvalidUtf8, 0, 0}, // bad continuation
        XmlTextCase {"\xc0\xaf", Kind::InvalidUtf8, 0, 0}, // overlong '/'
        XmlTextCase {"\xe0\x80\xaf", Kind::InvalidUtf8, 0, 0}, // overlong, 3 bytes
        XmlTextCase {"\xed\xa0\x80", Kind::InvalidUtf8, 0, 0}, // surrogate
        XmlTextCase {"\xf4\x90\x80\x80", Kind::InvalidUtf8, 0, 0}, // above U+10FFFF
        XmlTextCase {"\xe9t\xe9", Kind::InvalidUtf8, 0, 0})); // Latin-1 bytes

} // namespace
} // namespace exporter
