#include "file_helpers.h"
#include "platform/atomic_file.h"
#include "platform/atomic_file_system.h"
#include "platform/paths.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <dlfcn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

#ifndef _WIN32
namespace {

// One call of fsync as the writer made it: on a file or a folder, the file's size then, and what the
// watched target held at that moment.
struct SyncCall
{
    bool regularFile = false;
    long long size = 0;
    std::string targetContent;
};

std::optional<fs::path> g_watchedTarget;
std::vector<SyncCall> g_syncCalls;

} // namespace

// This program's fsync takes the place of the C library's for every call in it, the writer's
// included: it notes the call and passes it on.
extern "C" int fsync(int fd)
{
    using Function = int (*)(int);
    static const auto real = reinterpret_cast<Function>(::dlsym(RTLD_NEXT, "fsync"));
    if (g_watchedTarget) {
        struct stat status
        {
        };
        SyncCall call;
        if (::fstat(fd, &status) == 0) {
            call.regularFile = S_ISREG(status.st_mode);
            call.size = static_cast<long long>(status.st_size);
        }
        std::ifstream in(*g_watchedTarget, std::ios::binary);
        call.targetContent.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        g_syncCalls.push_back(std::move(call));
    }
    if (real == nullptr)
        std::abort(); // without the system's fsync nothing would be synced, and the tests would not know
    return real(fd);
}
#endif

namespace {

using platform::FileSink;
using platform::FileWriteError;
using platform::FileWriteStep;
using platform::writeFileAtomically;

const std::string OldContent = "contenido anterior\n";

using platform::testing::folderEntries;
using platform::testing::readAll;
using platform::testing::writeAll;

// The failure of a write that is expected to fail.
FileWriteError failureOf(const std::function<void()>& write)
{
    try {
        write();
    } catch (const FileWriteError& failure) {
        return failure;
    }
    throw std::logic_error("the write did not fail");
}

// Each test gets a folder of its own, named so that test runs in parallel never share one.
class AtomicFileTest : public ::testing::Test
{
protected:
    support::TempFolder m_temp {"educa-atomic"};
    const fs::path& m_dir = m_temp.path();
};

TEST_F(AtomicFileTest, createsANewFileAndLeavesNothingElse)
{
    writeFileAtomically(m_dir / "nuevo.xml", std::string_view("<a/>"));
    EXPECT_EQ(readAll(m_dir / "nuevo.xml"), "<a/>");
    EXPECT_EQ(folderEntries(m_dir), std::vector<std::string> {"nuevo.xml"});
}

TEST_F(AtomicFileTest, replacesAnExistingFileWhole)
{
    const fs::path file = m_dir / "educa.xml";
    writeAll(file, std::string(100000, 'v'));
    writeFileAtomically(file, std::string_view("nuevo"));
    EXPECT_EQ(readAll(file), "nuevo");
    EXPECT_EQ(folderEntries(m_dir), std::vector<std::string> {"educa.xml"});
}

TEST_F(AtomicFileTest, writesLargeContentWholeWhateverThePieceSizes)
{
    std::string big(3 * 1024 * 1024 + 17, 'x');
    for (std::size_t i = 0; i < big.size(); i += 4099)
        big[i] = static_cast<char>('a' + i % 26);
    writeFileAtomically(m_dir / "grande.xml", [&](FileSink& sink) {
        // Pieces of every size, smaller and larger than any buffer, and empty ones.
        std::size_t at = 0;
        for (std::size_t piece = 0; at < big.size(); piece = piece * 3 + 1) {
            const auto n = std::min(piece, big.size() - at);
            sink.write(big.data() + at, n);
            at += n;
        }
    });
    EXPECT_EQ(readAll(m_dir / "grande.xml"), big);
}

#ifndef _WIN32
TEST_F(AtomicFileTest, theNewContentIsOnDiskBeforeItTakesTheTargetsPlace)
{
    const fs::path file = m_dir / "educa.xml";
    writeAll(file, OldContent);
    const std::string content(100000, 'n');
    g_syncCalls.clear();
    g_watchedTarget = file;
    writeFileAtomically(file, std::string_view(content));
    g_watchedTarget.reset();
    // The temporary file, whole, while the target still holds the old content; then the folder,
    // once the rename is done.
    ASSERT_EQ(g_syncCalls.size(), 2u);
    EXPECT_TRUE(g_syncCalls[0].regularFile);
    EXPECT_EQ(g_syncCalls[0].size, 100000);
    EXPECT_EQ(g_syncCalls[0].targetContent, OldContent);
    EXPECT_FALSE(g_syncCalls[1].regularFile);
    EXPECT_EQ(g_syncCalls[1].targetContent, content);
}
#endif

TEST_F(AtomicFileTest, aThrowingProducerLeavesTheOldFileAndNoTemporary)
{
    const fs::path file = m_dir / "educa.xml";
    writeAll(file, OldContent);
    try {
        writeFileAtomically(file, [](FileSink& sink) {
            sink.write("<SERVICIO>", 10);
            sink.write(std::string(200000, 'x').data(), 200000);
            throw std::runtime_error("interrumpido");
        });
        FAIL() << "no failure";
    } catch (const std::runtime_error& e) {
        // The producer's own exception, not one of the writer's.
        EXPECT_EQ(std::string(e.what()), "interrumpido");
    }
    EXPECT_EQ(readAll(file), OldContent);
    EXPECT_EQ(folderEntries(m_dir), std::vector<std::string> {"educa.xml"});
}

TEST_F(AtomicFileTest, aFolderInTheTargetsPlaceIsRefused)
{
    fs::create_directory(m_dir / "carpeta");
    const auto failure = failureOf([&] { writeFileAtomically(m_dir / "carpeta", std::string_view("x")); });
    EXPECT_EQ(failure.file(), m_dir / "carpeta");
    EXPECT_EQ(failure.step(), FileWriteStep::Write);
    EXPECT_FALSE(failure.systemText().empty());
    EXPECT_TRUE(fs::is_empty(m_dir / "carpeta"));
    EXPECT_EQ(folderEntries(m_dir), std::vector<std::string> {"carpeta"});
}

TEST_F(AtomicFileTest, aMissingFolderFailsAndCreatesNothing)
{
    const auto failure = failureOf([&] { writeFileAtomically(m_dir / "falta" / "educa.xml", std::string_view("x")); });
    EXPECT_EQ(failure.file(), m_dir / "falta" / "educa.xml");
    EXPECT_EQ(failure.step(), FileWriteStep::Write);
    EXPECT_TRUE(fs::is_empty(m_dir));
}

// Runs in a folder and goes back to the previous one at the end.
class CurrentFolder
{
public:
    explicit CurrentFolder(const fs::path& folder)
        : m_previous(fs::current_path())
    {
        fs::current_path(folder);
    }
    ~CurrentFolder()
    {
        std::error_code ec;
        fs::current_path(m_previous, ec);
    }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    fs::path m_previous;
};

// The ways a user may name an existing file to be replaced: relative or absolute, with "." and "..",
// with "/" (and on Windows "\"), with letters beyond ASCII in the folder's and the file's name.
struct PathForm
{
    const char* name;
    const char* folder; // made inside the test's folder, UTF-8
    const char* given; // as handed to the writer, relative to the test's folder unless absolute
    bool absolute; // given is put after the test's folder
};

void PrintTo(const PathForm& form, std::ostream* os)
{
    *os << form.name;
}

class ReplacedPathTest : public AtomicFileTest, public ::testing::WithParamInterface<PathForm>
{
};

TEST_P(ReplacedPathTest, replacesTheExistingFileAndLeavesNothingElse)
{
    const PathForm& form = GetParam();
    const fs::path folder = m_dir / platform::pathFromUtf8(form.folder);
    fs::create_directories(folder);
    const fs::path file = folder / platform::pathFromUtf8("educación.xml");
    writeAll(file, OldContent);
    {
        CurrentFolder inside(m_dir);
        const std::string given = form.absolute ? platform::pathText(m_dir) + "/" + form.given : form.given;
        writeFileAtomically(platform::pathFromUtf8(given), std::string_view("nuevo"));
    }
    EXPECT_EQ(readAll(file), "nuevo");
    EXPECT_EQ(folderEntries(folder), std::vector<std::string> {"educación.xml"});
}

const PathForm PathForms[] = {
    {"relative", "x", "x/educación.xml", false},
    {"dotted", "x", "./x/../x/educación.xml", false},
    {"absoluteWithSlashes", "Año 2025/Horario", "Año 2025/Horario/educación.xml", true},
    {"nonAscii", "Año 2025", "Año 2025/educación.xml", false},
#ifdef _WIN32
    {"backslashes", "Año 2025\\Horario", "Año 2025\\Horario\\educación.xml", false},
#endif
};

INSTANTIATE_TEST_SUITE_P(Forms, ReplacedPathTest, ::testing::ValuesIn(PathForms),
    [](const auto& info) { return std::string(info.param.name); });

#ifdef _WIN32

TEST_F(AtomicFileTest, aReadOnlyFileIsRefusedAndKept)
{
    const fs::path file = m_dir / "educa.xml";
    writeAll(file, OldContent);
    fs::permissions(
        file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write, fs::perm_options::remove);
    ASSERT_NE(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    const auto failure = failureOf([&] { writeFileAtomically(file, std::string_view("nuevo")); });
    EXPECT_EQ(failure.code(), std::error_code(ERROR_ACCESS_DENIED, std::system_category()));
    EXPECT_EQ(failure.step(), FileWriteStep::Write);
    EXPECT_FALSE(failure.systemText().empty());
    EXPECT_EQ(readAll(file), OldContent);
    EXPECT_EQ(folderEntries(m_dir), std::vector<std::string> {"educa.xml"});
}

// Another program has the file open, sharing it for reading only, as editors and viewers do:
// Windows refuses to replace it, and the old file stays as it was.
TEST_F(AtomicFileTest, aFileHeldOpenElsewhereIsKeptAndTheFailureSaysSo)
{
    const fs::path file = m_dir / "educa.xml";
    writeAll(file, OldContent);
    const HANDLE held = CreateFileW(
        file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::optional<FileWriteError> failure;
    try {
        writeFileAtomically(file, std::string_view("nuevo"));
    } catch (const FileWriteError& error) {
        failure = error;
    }
    CloseHandle(held);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->step(), FileWriteStep::Replace);
    EXPECT_TRUE(platform::isFileInUse(failure->code())) << failure->code().value();
    EXPECT_EQ(failure->file(), file);
    EXPECT_EQ(readAll(file), OldContent);
    EXPECT_EQ(folderEntries(m_dir), std::vector<std::string> {"educa.xml"});
}

#endif

#ifndef _WIN32

TEST_F(AtomicFileTest, anExistingFileKeepsItsPermissionsAndOwner)
{
    const fs::path file = m_dir / "educa.xml";
    writeAll(file, OldContent);
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    // Only a privileged process can write a file it does not own and give the new one back.
    const bool privileged = ::geteuid() == 0;
    if (privileged) {
        ASSERT_EQ(::chown(file.c_str(), 4321, 4322), 0);
    }

    writeFileAtomically(file, std::string_view("nuevo"));

    EXPECT_EQ(readAll(file), "nuevo");
    struct stat status
    {
    };
    ASSERT_EQ(::stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    if (privileged) {
        EXPECT_EQ(status.st_uid, 4321u);
        EXPECT_EQ(status.st_gid, 4322u);
    }
    EXPECT_EQ(folderEntries(m_dir), std::vector<std::string> {"educa.xml"});
}

TEST_F(AtomicFileTest, aChainOfSymbolicLinksIsFollowedAndStays)
{
    fs::create_directory(m_dir / "datos");
    writeAll(m_dir / "datos" / "real.xml", OldContent);
    fs::create_symlink("datos/real.xml", m_dir / "medio.xml");
    fs::create_directory(m_dir / "otra");
    fs::create_symlink("../medio.xml", m_dir / "otra" / "enlace.xml");

    writeFileAtomically(m_dir / "otra" / "enlace.xml", std::string_view("nuevo"));

    EXPECT_TRUE(fs::is_symlink(m_dir / "otra" / "enlace.xml"));
    EXPECT_TRUE(fs::is_symlink(m_dir / "medio.xml"));
    EXPECT_EQ(readAll(m_dir / "datos" / "real.xml"), "nuevo");
    EXPECT_EQ(folderEntries(m_dir / "datos"), std::vector<std::string> {"real.xml"});
    EXPECT_EQ(folderEntries(m_dir / "otra"), std::vector<std::string> {"enlace.xml"});
}

TEST_F(AtomicFileTest, aLinkToAMissingFileCreatesTheFileItNames)
{
    fs::create_symlink("real.xml", m_dir / "enlace.xml");
    writeFileAtomically(m_dir / "enlace.xml", std::string_view("nuevo"));
    EXPECT_TRUE(fs::is_symlink(m_dir / "enlace.xml"));
    EXPECT_EQ(readAll(m_dir / "real.xml"), "nuevo");
}

TEST_F(AtomicFileTest, aLinkLoopFailsAndStaysALink)
{
    fs::create_symlink("b.xml", m_dir / "a.xml");
    fs::create_symlink("a.xml", m_dir / "b.xml");
    const auto failure = failureOf([&] { writeFileAtomically(m_dir / "a.xml", std::string_view("x")); });
    EXPECT_EQ(failure.code(), std::errc::too_many_symbolic_link_levels);
    EXPECT_EQ(failure.file(), m_dir / "a.xml");
    EXPECT_TRUE(fs::is_symlink(m_dir / "a.xml"));
    EXPECT_EQ(folderEntries(m_dir), (std::vector<std::string> {"a.xml", "b.xml"}));
}

TEST_F(AtomicFileTest, aFailureThroughALinkNamesTheLink)
{
    fs::create_symlink("falta/real.xml", m_dir / "enlace.xml");
    const auto failure = failureOf([&] { writeFileAtomically(m_dir / "enlace.xml", std::string_view("x")); });
    EXPECT_EQ(failure.code(), std::errc::no_such_file_or_directory);
    EXPECT_EQ(failure.file(), m_dir / "enlace.xml");
    EXPECT_EQ(failure.systemText(), std::generic_category().message(ENOENT));
}

// Targets that cannot be written: each is refused with the system's error, and the folder is left as it was.
struct RefusedTarget
{
    const char* name;
    std::function<fs::path(const fs::path& dir)> prepare; // makes the situation, answers the target
    std::errc expected;
};

void PrintTo(const RefusedTarget& target, std::ostream* os)
{
    *os << target.name;
}

class RefusedTargetTest : public AtomicFileTest, public ::testing::WithParamInterface<RefusedTarget>
{
};

TEST_P(RefusedTargetTest, failsWithTheSystemsErrorAndChangesNothing)
{
    const fs::path target = GetParam().prepare(m_dir);
    const auto before = folderEntries(m_dir);
    const auto oldContent = fs::is_regular_file(target) ? readAll(target) : std::string();

    const auto failure = failureOf([&] { writeFileAtomically(target, std::string_view("nuevo")); });

    EXPECT_EQ(failure.code(), GetParam().expected);
    EXPECT_EQ(failure.file(), target);
    EXPECT_EQ(failure.step(), FileWriteStep::Write);
    EXPECT_EQ(failure.systemText(), failure.code().message());
    EXPECT_EQ(folderEntries(m_dir), before);
    if (fs::is_regular_file(target)) {
        EXPECT_EQ(readAll(target), oldContent);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, RefusedTargetTest,
    ::testing::Values(RefusedTarget {"missingFolder", [](const fs::path& dir) { return dir / "falta" / "educa.xml"; },
                          std::errc::no_such_file_or_directory},
        RefusedTarget {"underAFile",
            [](const fs::path& dir) {
                writeAll(dir / "fichero", "x");
                return dir / "fichero" / "educa.xml";
            },
            std::errc::not_a_directory},
        RefusedTarget {"aFolder",
            [](const fs::path& dir) {
                fs::create_directory(dir / "carpeta");
                return dir / "carpeta";
            },
            std::errc::is_a_directory},
        RefusedTarget {"aFifo",
            [](const fs::path& dir) {
                if (::mkfifo((dir / "tubo").c_str(), 0644) != 0)
                    throw std::runtime_error("mkfifo failed");
                return dir / "tubo";
            },
            std::errc::not_supported},
        RefusedTarget {"aReadOnlyFile",
            [](const fs::path& dir) {
                writeAll(dir / "educa.xml", OldContent);
                fs::permissions(dir / "educa.xml", fs::perms::owner_read | fs::perms::group_read);
                return dir / "educa.xml";
            },
            std::errc::permission_denied},
        RefusedTarget {"aLinkToAReadOnlyFile",
            [](const fs::path& dir) {
                writeAll(dir / "real.xml", OldContent);
                fs::permissions(dir / "real.xml", fs::perms::owner_read);
                fs::create_symlink("real.xml", dir / "enlace.xml");
                return dir / "enlace.xml";
            },
            std::errc::permission_denied}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AtomicFileTest, aFolderWithoutWritePermissionFails)
{
    const fs::path folder = m_dir / "solo-lectura";
    fs::create_directory(folder);
    writeAll(folder / "educa.xml", OldContent);
    ::chmod(folder.c_str(), 0555);
    if (::access(folder.c_str(), W_OK) == 0)
        GTEST_SKIP() << "permissions do not apply to this user (root)";
    const auto failure = failureOf([&] { writeFileAtomically(folder / "educa.xml", std::string_view("nuevo")); });
    EXPECT_EQ(failure.code(), std::errc::permission_denied);
    EXPECT_EQ(readAll(folder / "educa.xml"), OldContent);
    EXPECT_EQ(folderEntries(folder), std::vector<std::string> {"educa.xml"});
}

TEST_F(AtomicFileTest, aNameAtTheSystemsLimitStillGetsATemporaryFile)
{
    // 255 bytes, with a two-byte letter where the temporary name's copy of it is cut.
    const std::string name = std::string(63, 'a') + "\xC3\xB1" + std::string(190, 'b');
    ASSERT_EQ(name.size(), 255u);
    writeAll(m_dir / name, OldContent);
    writeFileAtomically(m_dir / name, std::string_view("nuevo"));
    EXPECT_EQ(readAll(m_dir / name), "nuevo");
    EXPECT_EQ(folderEntries(m_dir), std::vector<std::string> {name});
}

TEST_F(AtomicFileTest, aTargetThatBecomesAFolderMeanwhileFailsAtTheReplaceStep)
{
    const fs::path file = m_dir / "educa.xml";
    writeAll(file, OldContent);
    const auto failure = failureOf([&] {
        writeFileAtomically(file, [&](FileSink& sink) {
            sink.write("nuevo", 5);
            fs::remove(file);
            fs::create_directories(file / "dentro");
        });
    });
    EXPECT_EQ(failure.step(), FileWriteStep::Replace);
    EXPECT_EQ(failure.file(), file);
    EXPECT_TRUE(fs::is_directory(file / "dentro"));
    EXPECT_EQ(folderEntries(m_dir), std::vector<std::string> {"educa.xml"});
}

// A file size limit makes write() fail part way, as a full disk does.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        if (::getrlimit(RLIMIT_FSIZE, &m_saved) != 0)
            throw std::runtime_error("getrlimit failed");
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_saved;
        limited.rlim_cur = bytes;
        if (::setrlimit(RLIMIT_FSIZE, &limited) != 0)
            throw std::runtime_error("setrlimit failed");
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved {};
    void (*m_previousHandler)(int) = nullptr;
};

TEST_F(AtomicFileTest, aFullDiskFailsWithTheSystemsErrorAndKeepsTheOldFile)
{
    const fs::path file = m_dir / "educa.xml";
    writeAll(file, OldContent);
    std::optional<FileWriteError> failure;
    {
        FileSizeLimit limit(100000);
        failure = failureOf([&] { writeFileAtomically(file, std::string(300000, 'x')); });
    }
    EXPECT_EQ(failure->code(), std::errc::file_too_large);
    EXPECT_EQ(failure->step(), FileWriteStep::Write);
    EXPECT_EQ(failure->file(), file);
    EXPECT_EQ(failure->systemText(), std::generic_category().message(EFBIG));
    EXPECT_EQ(readAll(file), OldContent);
    EXPECT_EQ(folderEntries(m_dir), std::vector<std::string> {"educa.xml"});
}

TEST_F(AtomicFileTest, aProducerThatSwallowsAWriteFailureCannotMakeThePartialFileCount)
{
    const fs::path file = m_dir / "educa.xml";
    writeAll(file, OldContent);
    int swallowed = 0;
    std::optional<FileWriteError> failure;
    {
        FileSizeLimit limit(100000);
        failure = failureOf([&] {
            writeFileAtomically(file, [&](FileSink& sink) {
                const std::string piece(70000, 'x');
                for (int i = 0; i < 3; ++i) {
                    try {
                        sink.write(piece.data(), piece.size());
                    } catch (const FileWriteError&) {
                        ++swallowed;
                    }
                }
            });
        });
    }
    EXPECT_GE(swallowed, 1);
    EXPECT_EQ(failure->code(), std::errc::file_too_large);
    EXPECT_EQ(readAll(file), OldContent);
    EXPECT_EQ(folderEntries(m_dir), std::vector<std::string> {"educa.xml"});
}

#endif

// A step that another program's handle refuses is tried again, a bounded number of times; any other
// failure ends it at once.
TEST(RetryWhileInUse, triesAgainOnlyWhileTheFileIsInUse)
{
#ifdef _WIN32
    const std::error_code inUse(ERROR_SHARING_VIOLATION, std::system_category());
#else
    const std::error_code inUse(ETXTBSY, std::generic_category());
#endif
    const std::error_code denied = std::make_error_code(std::errc::permission_denied);
    struct Row
    {
        int failuresInUse; // before the last answer
        std::error_code last;
        int tries;
        std::error_code result;
    };
    const int all = platform::detail::InUseAttempts;
    for (const Row& row :
        {Row {2, {}, 3, {}}, Row {0, denied, 1, denied}, Row {1, denied, 2, denied}, Row {all + 5, {}, all, inUse}}) {
        int tries = 0;
        int pauses = 0;
        const std::error_code result = platform::detail::retryWhileInUse(
            [&] { return tries++ < row.failuresInUse ? inUse : row.last; }, [&] { ++pauses; });
        EXPECT_EQ(result, row.result) << row.failuresInUse;
        EXPECT_EQ(tries, row.tries) << row.failuresInUse;
        EXPECT_EQ(pauses, tries - 1);
    }
}

} // namespace
