#include "support/environment.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// A test that leaves a read-only file or a closed folder behind must not break the next run: the
// folder goes whole, whatever it holds.
struct Leftover
{
    const char* name;
    void (*make)(const fs::path& folder);
};

void PrintTo(const Leftover& leftover, std::ostream* os)
{
    *os << leftover.name;
}

class TempFolderRemoval : public ::testing::TestWithParam<Leftover>
{
};

TEST_P(TempFolderRemoval, removesTheFolderWithWhatItHolds)
{
    fs::path kept;
    {
        const support::TempFolder folder("educa-support");
        kept = folder.path();
        ASSERT_TRUE(fs::is_directory(kept));
        ASSERT_TRUE(fs::is_empty(kept));
        GetParam().make(kept);
    }
    EXPECT_FALSE(fs::exists(kept)) << kept;
}

INSTANTIATE_TEST_SUITE_P(Leftovers, TempFolderRemoval,
    ::testing::Values(Leftover {"nothing", [](const fs::path&) {}},
        Leftover {"readOnlyFile",
            [](const fs::path& folder) {
                std::ofstream(folder / "Morvanta.ini") << "[Transformadores]\n";
                fs::permissions(folder / "Morvanta.ini", fs::perms::owner_read);
            }},
        Leftover {"readOnlyFileInAClosedFolder",
            [](const fs::path& folder) {
                fs::create_directories(folder / "a" / "b");
                std::ofstream(folder / "a" / "b" / "educa.xml") << "x";
                fs::permissions(folder / "a" / "b" / "educa.xml", fs::perms::owner_read);
                fs::permissions(folder / "a" / "b", fs::perms::owner_read | fs::perms::owner_exec);
                fs::permissions(folder / "a", fs::perms::owner_read | fs::perms::owner_exec);
            }},
        Leftover {"nameBeyondAscii", [](const fs::path& folder) { std::ofstream(folder / u8"educación.xml") << "x"; }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TempFolder, twoFoldersOfTheSameHintNeverShareAName)
{
    const support::TempFolder first("educa-support");
    const support::TempFolder second("educa-support");
    EXPECT_NE(first.path(), second.path());
    EXPECT_EQ(first.path().parent_path(), second.path().parent_path());
}

TEST(ScopedEnvironment, putsBackWhatWasThere)
{
    const std::string name = "EDUCA_SUPPORT_TEST";
    support::unsetEnvironment(name);
    {
        support::ScopedEnvironment set(name, "uno");
        EXPECT_EQ(support::environment(name), "uno");
        {
            support::ScopedEnvironment removed(name, std::nullopt);
            EXPECT_EQ(support::environment(name), std::nullopt);
            support::ScopedEnvironment again(name, "dos");
            EXPECT_EQ(support::environment(name), "dos");
        }
        EXPECT_EQ(support::environment(name), "uno");
    }
    EXPECT_EQ(support::environment(name), std::nullopt);
}

} // namespace
