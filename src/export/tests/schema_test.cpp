// The schema of the exchange document (docs/educa.xsd), checked with xmllint: every document that the
// program wrote for the golden files, and the sample school's as educa-export writes it now, are valid;
// documents that break a rule of the format are not.

#include "golden.h"
#include "test_support.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace exporter {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;
using test::writeFile;

bool haveXmllint()
{
    return std::system("xmllint --version >/dev/null 2>&1") == 0;
}

struct Validation
{
    bool valid = false;
    std::string output;
};

// xmllint --schema on one file: valid when it says so and exits with 0.
Validation validate(const fs::path& document, const TempDir& dir)
{
    const auto report = dir / "xmllint.txt";
    const std::string command = "xmllint --noout --schema '" + std::string(EDUCA_SCHEMA) + "' '" + document.string()
        + "' >'" + report.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    Validation result;
    result.output = readFile(report);
    result.valid
        = WIFEXITED(status) && WEXITSTATUS(status) == 0 && result.output.find(" validates") != std::string::npos;
    return result;
}

// The golden files that are whole exported documents (every_character.xml holds one section only).
std::vector<std::string> exportedGoldenFiles()
{
    std::vector<std::string> names;
    for (const char* folder : {"", "broken/"}) {
        for (const auto& entry : fs::directory_iterator(golden::pathOf(folder))) {
            const auto name = std::string(folder) + entry.path().filename().string();
            if (entry.path().extension() == ".xml" && name != "every_character.xml")
                names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Schema, everyExportedGoldenDocumentIsValid)
{
    if (!haveXmllint())
        GTEST_SKIP() << "xmllint is not available";
    TempDir dir;
    const auto names = exportedGoldenFiles();
    EXPECT_GT(names.size(), 20u);
    for (const auto& name : names) {
        const auto result = validate(golden::pathOf(name), dir);
        EXPECT_TRUE(result.valid) << name << ": " << result.output;
    }
}

TEST(Schema, theSampleSchoolAsEducaExportWritesItIsValid)
{
    if (!haveXmllint())
        GTEST_SKIP() << "xmllint is not available";
    TempDir dir;
    const fs::path sample = EDUCA_SAMPLE_DIR;
    const auto output = dir / "educa.xml";
    const std::string command = "'" + std::string(EDUCA_EXPORT_PATH) + "' --datos '" + (sample / "datos").string()
        + "' --soluc '" + (sample / "mtemp").string() + "' --salida '" + output.string() + "' >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const auto result = validate(output, dir);
    EXPECT_TRUE(result.valid) << result.output;
}

struct BrokenRule
{
    const char* name;
    std::string from; // a part of the school's golden document
    std::string to; // what replaces it
    std::string through = {}; // when set, the part runs on through the first of these after from
};

void PrintTo(const BrokenRule& c, std::ostream* os)
{
    *os << c.name;
}

class SchemaRuleTest : public ::testing::TestWithParam<BrokenRule>
{
};

// The school's document with one rule of the format broken is refused.
TEST_P(SchemaRuleTest, documentBreakingARuleIsRefused)
{
    if (!haveXmllint())
        GTEST_SKIP() << "xmllint is not available";
    const auto& c = GetParam();
    std::string document = golden::read("school.xml");
    const auto at = document.find(c.from);
    ASSERT_NE(at, std::string::npos) << c.from;
    std::size_t length = c.from.size();
    if (!c.through.empty()) {
        const auto end = document.find(c.through, at);
        ASSERT_NE(end, std::string::npos) << c.through;
        length = end + c.through.size() - at;
    }
    document.replace(at, length, c.to);
    TempDir dir;
    writeFile(dir / "roto.xml", document);
    const auto result = validate(dir / "roto.xml", dir);
    EXPECT_FALSE(result.valid) << result.output;
    EXPECT_NE(result.output.find("fails to validate"), std::string::npos) << result.output;
}

INSTANTIATE_TEST_SUITE_P(Rules, SchemaRuleTest,
    ::testing::Values(BrokenRule {"missingAttribute", R"( ACTIV="1")", ""},
        BrokenRule {"unknownAttribute", R"(<PROFF ID="1")", R"(<PROFF ID="1" EXTRA="x")"},
        BrokenRule {"maxalumNotAnInteger", R"(MAXALUM="30")", R"(MAXALUM="30,5")"},
        BrokenRule {"maxalumWithLeadingZero", R"(MAXALUM="30")", R"(MAXALUM="030")"},
        BrokenRule {"idZero", R"(<AULAF ID="1")", R"(<AULAF ID="0")"},
        BrokenRule {"idNotANumber", R"(<AULAF ID="1")", R"(<AULAF ID="uno")"},
        BrokenRule {"solucWithAnId", R"(<SOLUCF ASIG=)", R"(<SOLUCF ID="1" ASIG=)"},
        BrokenRule {"sectionMissing", R"(<AULAT>)", "", R"(</AULAT>)"},
        BrokenRule {"sectionsOutOfOrder", R"(<AULAT>)", "<SOLUCT/><AULAT/>", R"(</SOLUCT>)"},
        BrokenRule {"rowInTheWrongSection", R"(<AULAF ID="1")", R"(<PROFF ID="1")"},
        BrokenRule {"otherAuthor", R"(autor="MORVANTA")", R"(autor="OTRO")"},
        BrokenRule {"textInASection", R"(<PROFT>)", R"(<PROFT>texto)"}),
    [](const ::testing::TestParamInfo<BrokenRule>& info) { return std::string(info.param.name); });

} // namespace
} // namespace exporter
