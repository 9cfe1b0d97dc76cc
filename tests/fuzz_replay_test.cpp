// Every seed input of the fuzzers and every input with which they once found a fault, replayed
// through the same checks, in the normal and the sanitizer builds.

#include "dbf_builder.h"
#include "harness/harness.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace robustness {
namespace {

namespace fs = std::filesystem;

struct FuzzInput
{
    std::string target; // table, export, command_line or ini
    fs::path file;
    std::string label; // for the test's name
};

// Findings whose fix lies outside this project's reach for now: "target/file reason", one a line.
std::map<std::string, std::string> pendingFindings()
{
    std::map<std::string, std::string> pending;
    std::ifstream in(fs::path(FUZZ_DIR) / "regressions" / "PENDING");
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line.starts_with('#'))
            continue;
        const auto blank = line.find(' ');
        pending[line.substr(0, blank)] = blank == std::string::npos ? "" : line.substr(blank + 1);
    }
    return pending;
}

std::vector<FuzzInput> fuzzInputs()
{
    std::vector<FuzzInput> inputs;
    for (const char* kind : {"corpus", "regressions"}) {
        for (const char* target : {"table", "export", "command_line", "ini"}) {
            const auto folder = fs::path(FUZZ_DIR) / kind / target;
            std::error_code ec;
            for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
                std::string label = std::string(kind) + "_" + target + "_" + it->path().filename().string();
                std::replace_if(
                    label.begin(), label.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); },
                    '_');
                inputs.push_back({target, it->path(), label});
            }
        }
    }
    std::sort(inputs.begin(), inputs.end(), [](const auto& a, const auto& b) { return a.label < b.label; });
    return inputs;
}

void PrintTo(const FuzzInput& input, std::ostream* out)
{
    *out << input.target << "/" << input.file.filename().string();
}

class FuzzReplay : public ::testing::TestWithParam<FuzzInput>
{
};

TEST_P(FuzzReplay, passesItsCheck)
{
    const FuzzInput& input = GetParam();
    const auto key = input.target + "/" + input.file.filename().string();
    const auto pending = pendingFindings();
    if (const auto found = pending.find(key); found != pending.end())
        GTEST_SKIP() << "pendiente: " << found->second;

    const std::string bytes = dbase::testing::readFile(input.file);
    dbase::testing::TempDir scratch;
    std::optional<std::string> problem;
    if (input.target == "table")
        problem = fuzzing::checkTableInput(bytes, scratch.path());
    else if (input.target == "export")
        problem = fuzzing::checkExportInput(bytes, scratch.path());
    else if (input.target == "command_line")
        problem = fuzzing::checkCommandLineInput(bytes);
    else
        problem = fuzzing::checkIniInput(bytes, scratch.path());
    EXPECT_FALSE(problem.has_value()) << input.file << ": " << problem.value_or("");
}

INSTANTIATE_TEST_SUITE_P(Inputs, FuzzReplay, ::testing::ValuesIn(fuzzInputs()),
    [](const ::testing::TestParamInfo<FuzzInput>& info) { return info.param.label; });

// The seeds are there: a replay of nothing would pass for nothing.
TEST(FuzzReplayInputs, everyTargetHasSeeds)
{
    std::map<std::string, int> seeds;
    for (const auto& input : fuzzInputs())
        seeds[input.target] += input.label.starts_with("corpus_") ? 1 : 0;
    for (const char* target : {"table", "export", "command_line", "ini"})
        EXPECT_GT(seeds[target], 0) << target;
}

} // namespace
} // namespace robustness
