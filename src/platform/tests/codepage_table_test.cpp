#include "platform/codepage.h"
#include "platform/codepage_table.h"

#include <gtest/gtest.h>
#include <random>

namespace {

struct TableCase
{
    int codePage;
    bool byteByByte; // whether the code page has a table
};

void PrintTo(const TableCase& c, std::ostream* os)
{
    *os << c.codePage;
}

class CodePageTableTest : public ::testing::TestWithParam<TableCase>
{
};

// The table gives what the system's converter gives, for every byte alone, for texts of every byte
// and for ASCII texts, which stay as they are.
TEST_P(CodePageTableTest, convertsAsToUtf8Does)
{
    const auto& c = GetParam();
    const platform::CodePageTable* table = platform::CodePageTable::forCodePage(c.codePage);
    ASSERT_EQ(table != nullptr, c.byteByByte);
    if (table == nullptr)
        return;
    EXPECT_EQ(table->codePage(), c.codePage);
    bool keepsAscii = true;
    for (int b = 0; b < 0x80; ++b)
        keepsAscii = keepsAscii && table->utf8(static_cast<unsigned char>(b)) == std::string(1, static_cast<char>(b));
    EXPECT_EQ(table->keepsAscii(), keepsAscii);
    EXPECT_EQ(platform::CodePageTable::forCodePage(c.codePage), table);
    for (int b = 0x80; b < 0x100; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(table->utf8(static_cast<unsigned char>(b)), platform::toUtf8(one, c.codePage)) << b;
    }
    std::mt19937 random(static_cast<unsigned>(c.codePage));
    for (int round = 0; round < 200; ++round) {
        std::string bytes(random() % 40, '\0');
        const unsigned top = round % 2 == 0 ? 0x100 : 0x80;
        for (char& byte : bytes)
            byte = static_cast<char>(random() % top);
        std::string out = "antes:";
        table->appendUtf8(bytes, out);
        EXPECT_EQ(out, "antes:" + platform::toUtf8(bytes, c.codePage));
    }
}

INSTANTIATE_TEST_SUITE_P(CodePages, CodePageTableTest,
    ::testing::Values(TableCase {437, true}, TableCase {850, true}, TableCase {852, true}, TableCase {866, true},
        TableCase {737, true}, TableCase {1250, true}, TableCase {1251, true}, TableCase {1252, true},
        TableCase {1253, true}, TableCase {1255, true}, TableCase {10000, true}, TableCase {932, false},
        TableCase {936, false}, TableCase {949, false}, TableCase {950, false}, TableCase {65001, false},
        TableCase {12345, false}));

TEST(CodePageTable, asciiIsEveryByteBelow0x80)
{
    EXPECT_TRUE(platform::CodePageTable::isAscii(""));
    EXPECT_TRUE(platform::CodePageTable::isAscii(std::string("a\0\x7F", 3)));
    EXPECT_FALSE(platform::CodePageTable::isAscii("abc\x80"));
    EXPECT_FALSE(platform::CodePageTable::isAscii("\xFF"));
}

} // namespace
