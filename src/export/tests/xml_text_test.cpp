#include "export/xml_text.h"
#include "platform/codepage_table.h"

#include <gtest/gtest.h>
#include <random>
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
    // The escaper refuses exactly these texts, with the same problem.
    std::string escaped(c.text.size() * MaxEscapedBytesPerByte, '\0');
    XmlTextProblem problem {};
    const char* end = escapeAttributeText(c.text, escaped.data(), problem);
    ASSERT_EQ(end == nullptr, found.has_value());
    if (!found)
        return;
    EXPECT_EQ(found->kind, *c.problem);
    EXPECT_EQ(found->offset, c.offset);
    EXPECT_EQ(problem.kind, found->kind);
    EXPECT_EQ(problem.offset, found->offset);
    if (found->kind == Kind::InvalidCharacter) {
        EXPECT_EQ(static_cast<std::uint32_t>(found->character), static_cast<std::uint32_t>(c.character));
        EXPECT_EQ(static_cast<std::uint32_t>(problem.character), static_cast<std::uint32_t>(c.character));
    }
}

std::string escaped(std::string_view text)
{
    std::string out(text.size() * MaxEscapedBytesPerByte, '\0');
    XmlTextProblem problem {};
    const char* end = escapeAttributeText(text, out.data(), problem);
    return end == nullptr ? "(refused)" : out.substr(0, static_cast<std::size_t>(end - out.data()));
}

TEST(EscapeAttributeText, writesReferencesForReservedCharactersAndBreaksOnly)
{
    EXPECT_EQ(escaped(""), "");
    EXPECT_EQ(escaped("a&b<c>d\"e'f"), "a&amp;b&lt;c>d&quot;e'f");
    EXPECT_EQ(escaped("\t\n\r"), "&#9;&#10;&#13;");
    EXPECT_EQ(escaped("\"\"\"\""), "&quot;&quot;&quot;&quot;"); // the most room a byte takes
    EXPECT_EQ(escaped("ñ€\xf0\x9f\x98\x80\x7f"), "ñ€\xf0\x9f\x98\x80\x7f");
}

// Converting and escaping at once gives what converting with the code page's table and then
// escaping gives, texts of ASCII alone aside (they stay as they are, which the caller decides).
class EscapedCodePageTest : public ::testing::TestWithParam<int>
{
};

TEST_P(EscapedCodePageTest, convertsAndEscapesAsTheTwoStepsDo)
{
    const auto* table = platform::CodePageTable::forCodePage(GetParam());
    ASSERT_NE(table, nullptr);
    const EscapedCodePage& escapedTable = EscapedCodePage::of(*table);
    EXPECT_EQ(&EscapedCodePage::of(*table), &escapedTable);
    std::mt19937 random(static_cast<unsigned>(GetParam()));
    for (int round = 0; round < 500; ++round) {
        std::string bytes(1 + random() % 30, '\0');
        for (char& byte : bytes)
            byte = static_cast<char>(round % 3 == 0 ? random() % 256 : 0x20 + random() % 0xE0);
        bytes[random() % bytes.size()] = static_cast<char>(0x80 + random() % 0x80);
        std::string utf8;
        table->appendUtf8(bytes, utf8);
        std::string out(bytes.size() * MaxEscapedBytesPerByte + EscapedCodePage::CopySlack, '\0');
        XmlTextProblem problem {};
        std::size_t offset = 5;
        const char* end = escapedTable.escape(bytes, out.data(), problem, offset);
        const auto expected = findXmlTextProblem(utf8);
        ASSERT_EQ(end == nullptr, expected.has_value()) << utf8;
        if (expected) {
            EXPECT_EQ(problem.kind, expected->kind);
            EXPECT_EQ(static_cast<std::uint32_t>(problem.character), static_cast<std::uint32_t>(expected->character));
            EXPECT_EQ(problem.offset, 5 + expected->offset);
        } else {
            EXPECT_EQ(out.substr(0, static_cast<std::size_t>(end - out.data())), escaped(utf8));
            EXPECT_EQ(offset, 5 + utf8.size());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(CodePages, EscapedCodePageTest, ::testing::Values(437, 850, 866, 1250, 1251, 1252, 10000));

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
