#include "export/failure_text.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace exporter {
namespace {

struct TextCase
{
    const char* input;
    const char* expected;
};

class ErrorBoxTextTest : public ::testing::TestWithParam<TextCase>
{
};

TEST_P(ErrorBoxTextTest, addsPeriodOnlyAfterCharactersAbovePeriod)
{
    EXPECT_EQ(errorBoxText(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(FinalPeriodRule, ErrorBoxTextTest,
    ::testing::Values(TextCase {"", ""}, // empty stays empty
        TextCase {"abc", "abc."}, // letter
        TextCase {"abc.", "abc."}, // already there
        TextCase {"abc!", "abc!"}, // '!' < '.'
        TextCase {"abc)", "abc)"}, // ')' < '.'
        TextCase {"abc-", "abc-"}, // '-' < '.'
        TextCase {"abc/", "abc/."}, // '/' > '.'
        TextCase {"42", "42."}, // digit
        TextCase {"campo 'X'", "campo 'X'"}, // '\'' < '.'
        TextCase {"línea ñ", "línea ñ."}, // byte of ñ > '.'
        TextCase {"fin ", "fin "}, // blank < '.'
        TextCase {"a\r\nb", "a\r\nb."}));

class TrimFailureTextTest : public ::testing::TestWithParam<TextCase>
{
};

TEST_P(TrimFailureTextTest, dropsTrailingBlanksControlsAndPeriods)
{
    EXPECT_EQ(trimFailureText(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Trim, TrimFailureTextTest,
    ::testing::Values(TextCase {"", ""}, TextCase {"Sin espacio", "Sin espacio"},
        TextCase {"Sin espacio.", "Sin espacio"}, TextCase {"Sin espacio. \r\n", "Sin espacio"},
        TextCase {"Sin espacio...\t.", "Sin espacio"}, TextCase {" . \n", ""}, TextCase {"v1.2 x", "v1.2 x"},
        TextCase {"  inicio", "  inicio"}));

TEST(DocumentFailureTextTest, prefersOwnDescriptionThenSystemTextThenCode)
{
    EXPECT_EQ(documentFailureText("Descripción propia. ", "Texto del sistema.", 0x80070005u), "Descripción propia");
    EXPECT_EQ(documentFailureText(" .\r\n", "Texto del sistema.\r\n", 0x80070005u), "Texto del sistema");
    EXPECT_EQ(documentFailureText("", "", 0x800c0005u), "OLE error 800C0005");
    EXPECT_EQ(documentFailureText("", " . ", 0x8000ffffu), "OLE error 8000FFFF");
}

} // namespace
} // namespace exporter
