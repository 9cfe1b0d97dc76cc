#include "app/logic/command_line.h"

#include <gtest/gtest.h>

namespace {

using Arguments = std::vector<std::string>;

// Code page 932's lead bytes.
bool shiftJisLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

struct Split
{
    const char* name;
    std::string line;
    Arguments single; // with a single-byte code page
    Arguments doubleByte; // with code page 932's lead bytes
};

class SplitCommandLine : public ::testing::TestWithParam<Split>
{
};

TEST_P(SplitCommandLine, givesTheArgumentsAfterTheProgramName)
{
    EXPECT_EQ(app::logic::splitCommandLine(GetParam().line), GetParam().single);
    EXPECT_EQ(app::logic::splitCommandLine(GetParam().line, shiftJisLeadByte), GetParam().doubleByte);
}

INSTANTIATE_TEST_SUITE_P(Lines, SplitCommandLine,
    ::testing::Values(Split {"empty", "", {}, {}}, Split {"programOnly", "prog.exe   ", {}, {}},
        Split {"host", "prog.exe importar 1A2B", {"importar", "1A2B"}, {"importar", "1A2B"}},
        Split {"quotedProgram", "\"C:\\Archivos de programa\\t.exe\" importar 1A2B", {"importar", "1A2B"},
            {"importar", "1A2B"}},
        Split {"unquotedProgramWithBlank", "C:\\Archivos de programa\\t.exe importar 1A2B",
            {"de", "programa\\t.exe", "importar", "1A2B"}, {"de", "programa\\t.exe", "importar", "1A2B"}},
        Split {"quotesDropped", "p \"importar\" \"a b\"", {"importar", "a b"}, {"importar", "a b"}},
        Split {"stretchesJoin", "p a\"b c\"d\"\" e", {"ab cd", "e"}, {"ab cd", "e"}},
        Split {"pairsSkipped", "p \"\" importar \"\"\"\" 1A2B \"\"", {"importar", "1A2B"}, {"importar", "1A2B"}},
        Split {"quotedBlankIsAnArgument", "p \" \" x", {" ", "x"}, {" ", "x"}},
        Split {"pairBeforeProgramSkipped", "\"\" p a", {"a"}, {"a"}},
        Split {"openQuoteRunsToEnd", "p \"a  b", {"a  b"}, {"a  b"}},
        Split {"loneQuoteAtEndEndsCounting", "p a \"", {"a"}, {"a"}},
        Split {"pairThenLoneQuote", "p a \"\"\"", {"a"}, {"a"}},
        Split {"controlCharactersSeparate",
            "p\ta\x01"
            "b\x1F"
            "c\r\nd",
            {"a", "b", "c", "d"}, {"a", "b", "c", "d"}},
        Split {"deleteAndHighBytesAreNoSeparators",
            "p a\x7F"
            "b \xA0x",
            {"a\x7F"
             "b",
                "\xA0x"},
            {"a\x7F"
             "b",
                "\xA0x"}},
        Split {"nulEndsTheLine", std::string("p a\0b c", 7), {"a"}, {"a"}},
        Split {"trailByteBlank", "p \x81 x", {"\x81", "x"}, {"\x81 x"}},
        Split {"trailByteQuote", "p \x81\"a b\" c",
            {"\x81"
             "a b",
                "c"},
            {"\x81\"a", "b c"}},
        Split {"trailByteQuoteInsideQuotes", "p \"\x81\" b\" c", {"\x81", "b c"}, {"\x81\" b", "c"}},
        Split {"leadByteAtEnd", "p a\x81", {"a\x81"}, {"a\x81"}},
        Split {"leadByteBeforeNul", std::string("p a\x81\0b", 7), {"a\x81"}, {"a\x81"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ArgumentsFromArgv, stopAtTheFirstEmptyArgument)
{
    const char* const hostArgv[] = {"prog", "importar", "1A2B", nullptr};
    EXPECT_EQ(app::logic::argumentsFromArgv({hostArgv, 3}), (Arguments {"importar", "1A2B"}));
    const char* const emptyInside[] = {"prog", "a", "", "b"};
    EXPECT_EQ(app::logic::argumentsFromArgv(emptyInside), (Arguments {"a"}));
    const char* const programOnly[] = {"prog"};
    EXPECT_EQ(app::logic::argumentsFromArgv(programOnly), Arguments {});
    EXPECT_EQ(app::logic::argumentsFromArgv({}), Arguments {});
}

} // namespace
