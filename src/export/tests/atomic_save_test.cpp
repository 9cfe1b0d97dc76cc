#include "export/exchange_document.h"
#include "export/failure_text.h"
#include "platform/regional.h"
#include "platform/user_error.h"
#include "test_support.h"

#include <functional>
#include <gtest/gtest.h>
#include <ostream>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace exporter {
namespace {

using test::folderEntries;
using test::readFile;
using test::TempDir;
using test::writeFile;

namespace fs = std::filesystem;

const std::string OldContent = "documento anterior\n";

// The text of a save that is expected to fail.
std::string saveFailure(const ExchangeDocument& document, const fs::path& path)
{
    try {
        document.save(path);
    } catch (const platform::UserError& e) {
        return e.what();
    }
    return "(no failure)";
}

class AtomicSaveTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::setRegionalSettings(test::spanishSettings());
        document.start();
        document.openSection("ASIGT");
    }

    ExchangeDocument document {test::fixedMoment};
    TempDir dir;
};

#ifdef _WIN32

// Another program holds the old document open (a viewer, an editor): Windows refuses to replace it.
// The user is told so in Spanish, and the old document stays.
TEST_F(AtomicSaveTest, aDocumentHeldOpenElsewhereIsKeptAndTheUserIsTold)
{
    const auto path = dir / "educa.xml";
    writeFile(path, OldContent);
    const HANDLE held = CreateFileW(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const auto text = saveFailure(document, path);
    CloseHandle(held);
    EXPECT_EQ(text,
        "No se puede sustituir el archivo '" + platform::pathText(path)
            + "': otro programa lo tiene abierto. Ciérrelo y vuelva a exportar");
    EXPECT_EQ(readFile(path), OldContent);
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string> {"educa.xml"});
    // Once it is closed, the same save goes through.
    document.save(path);
    EXPECT_EQ(readFile(path), document.toString());
}

#else

// A save that cannot be made: the text names the file as chosen, followed by the system's text.
struct UnsavableTarget
{
    const char* name;
    std::function<fs::path(const fs::path& dir)> prepare; // makes the situation, answers the chosen path
    int error;
};

void PrintTo(const UnsavableTarget& target, std::ostream* os)
{
    *os << target.name;
}

class UnsavableTargetTest : public AtomicSaveTest, public ::testing::WithParamInterface<UnsavableTarget>
{
};

TEST_P(UnsavableTargetTest, failsNamingTheFileAndChangesNothing)
{
    const fs::path path = GetParam().prepare(dir.path());
    const auto before = folderEntries(dir.path());
    EXPECT_EQ(saveFailure(document, path),
        "No se puede escribir el archivo '" + path.string() + "': " + systemErrorText(GetParam().error));
    EXPECT_EQ(folderEntries(dir.path()), before);
    if (fs::is_regular_file(path)) {
        EXPECT_EQ(readFile(path), OldContent);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, UnsavableTargetTest,
    ::testing::Values(UnsavableTarget {"underAFile",
                          [](const fs::path& dir) {
                              writeFile(dir / "fichero", "x");
                              return dir / "fichero" / "educa.xml";
                          },
                          ENOTDIR},
        UnsavableTarget {"aFolder",
            [](const fs::path& dir) {
                fs::create_directory(dir / "carpeta");
                return dir / "carpeta";
            },
            EISDIR},
        UnsavableTarget {"aReadOnlyFile",
            [](const fs::path& dir) {
                writeFile(dir / "educa.xml", OldContent);
                fs::permissions(dir / "educa.xml", fs::perms::owner_read | fs::perms::group_read);
                return dir / "educa.xml";
            },
            EACCES},
        UnsavableTarget {"aLinkIntoAMissingFolder",
            [](const fs::path& dir) {
                fs::create_symlink("falta/educa.xml", dir / "enlace.xml");
                return dir / "enlace.xml";
            },
            ENOENT}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AtomicSaveTest, aFullDiskKeepsTheOldDocumentAndLeavesNoTemporary)
{
    // A file size limit makes write() fail part way, as a full disk does.
    const auto path = dir / "educa.xml";
    writeFile(path, OldContent);
    for (int i = 0; i < 5000; ++i)
        document.addRow("ASIGF").set("NOMBRE", std::string(40, 'x'));

    rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 100000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const auto text = saveFailure(document, path);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(text, "No se puede escribir el archivo '" + path.string() + "': " + systemErrorText(EFBIG));
    EXPECT_EQ(readFile(path), OldContent);
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string> {"educa.xml"});
}

TEST_F(AtomicSaveTest, aLinkStaysAndTheFileItNamesGetsTheDocument)
{
    writeFile(dir / "real.xml", OldContent);
    ::chmod((dir / "real.xml").c_str(), 0640);
    fs::create_symlink("real.xml", dir / "enlace.xml");
    document.save(dir / "enlace.xml");
    EXPECT_TRUE(fs::is_symlink(dir / "enlace.xml"));
    EXPECT_EQ(readFile(dir / "real.xml"), document.toString());
    EXPECT_EQ(fs::status(dir / "real.xml").permissions(),
        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(folderEntries(dir.path()), (std::vector<std::string> {"enlace.xml", "real.xml"}));
}

#endif

} // namespace
} // namespace exporter
