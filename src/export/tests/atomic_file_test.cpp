#include "export/atomic_file.h"
#include "export/failure_text.h"
#include "platform/user_error.h"
#include "test_support.h"

#include <csignal>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace exporter {
namespace {

using test::folderEntries;
using test::readFile;
using test::TempDir;
using test::writeFile;

const std::string OldContent = "contenido anterior\n";

std::string failureText(const std::function<void()>& action)
{
    try {
        action();
    } catch (const platform::UserError& e) {
        return e.what();
    }
    return "(no failure)";
}

TEST(WriteFileAtomicallyTest, createsANewFile)
{
    TempDir dir;
    writeFileAtomically(dir / "nuevo.xml", std::string_view("<a/>"));
    EXPECT_EQ(readFile(dir / "nuevo.xml"), "<a/>");
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string> {"nuevo.xml"});
}

TEST(WriteFileAtomicallyTest, replacesAnExistingFileKeepingItsPermissions)
{
    TempDir dir;
    const auto path = dir / "educa.xml";
    writeFile(path, OldContent);
    ::chmod(path.c_str(), 0640);
    writeFileAtomically(path, std::string_view("nuevo"));
    EXPECT_EQ(readFile(path), "nuevo");
    struct stat st
    {
    };
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string> {"educa.xml"});
}

TEST(WriteFileAtomicallyTest, writesLargeContentWhole)
{
    TempDir dir;
    std::string big(3 * 1024 * 1024 + 17, 'x');
    for (std::size_t i = 0; i < big.size(); i += 4099)
        big[i] = static_cast<char>('a' + i % 26);
    writeFileAtomically(dir / "grande.xml", [&](FileSink& sink) {
        // Pieces of every size, smaller and larger than any buffer.
        std::size_t at = 0;
        for (std::size_t piece = 1; at < big.size(); piece = piece * 3 + 1) {
            const auto n = std::min(piece, big.size() - at);
            sink.write(big.data() + at, n);
            at += n;
        }
    });
    EXPECT_EQ(readFile(dir / "grande.xml"), big);
}

TEST(WriteFileAtomicallyTest, followsASymbolicLinkToTheFileItNames)
{
    TempDir dir;
    writeFile(dir / "real.xml", OldContent);
    std::filesystem::create_symlink("real.xml", dir / "enlace.xml");
    writeFileAtomically(dir / "enlace.xml", std::string_view("nuevo"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "enlace.xml"));
    EXPECT_EQ(readFile(dir / "real.xml"), "nuevo");
}

TEST(WriteFileAtomicallyTest, aFailingProducerLeavesTheOldFileAndNoTemporary)
{
    TempDir dir;
    const auto path = dir / "educa.xml";
    writeFile(path, OldContent);
    EXPECT_THROW(writeFileAtomically(path,
                     [](FileSink& sink) {
                         sink.write("<SERVICIO>", 10);
                         throw std::runtime_error("interrumpido");
                     }),
        std::runtime_error);
    EXPECT_EQ(readFile(path), OldContent);
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string> {"educa.xml"});
}

TEST(WriteFileAtomicallyTest, aFullDiskLeavesTheOldFileAndNoTemporary)
{
    // A file size limit makes write() fail part way, as a full disk does.
    TempDir dir;
    const auto path = dir / "educa.xml";
    writeFile(path, OldContent);

    rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 100000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const auto text = failureText([&] { writeFileAtomically(path, std::string(300000, 'x')); });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(text, "No se puede escribir el archivo '" + path.string() + "': " + systemErrorText(EFBIG));
    EXPECT_EQ(readFile(path), OldContent);
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string> {"educa.xml"});
}

TEST(WriteFileAtomicallyTest, unusableTargetsFailNamingTheFile)
{
    TempDir dir;
    writeFile(dir / "fichero", "x");
    std::filesystem::create_directory(dir / "carpeta");

    const auto missing = dir / "falta" / "educa.xml";
    EXPECT_EQ(failureText([&] { writeFileAtomically(missing, std::string_view("x")); }),
        "No se puede escribir el archivo '" + missing.string() + "': " + systemErrorText(ENOENT));

    const auto underFile = dir / "fichero" / "educa.xml";
    EXPECT_EQ(failureText([&] { writeFileAtomically(underFile, std::string_view("x")); }),
        "No se puede escribir el archivo '" + underFile.string() + "': " + systemErrorText(ENOTDIR));

    const auto folder = dir / "carpeta";
    EXPECT_EQ(failureText([&] { writeFileAtomically(folder, std::string_view("x")); }),
        "No se puede escribir el archivo '" + folder.string() + "': " + systemErrorText(EISDIR));

    EXPECT_EQ(folderEntries(dir.path()), (std::vector<std::string> {"carpeta", "fichero"}));
    EXPECT_TRUE(std::filesystem::is_empty(dir / "carpeta"));
}

TEST(WriteFileAtomicallyTest, aFolderWithoutWritePermissionFails)
{
    TempDir dir;
    const auto folder = dir / "solo-lectura";
    std::filesystem::create_directory(folder);
    writeFile(folder / "educa.xml", OldContent);
    ::chmod(folder.c_str(), 0555);
    if (::access(folder.c_str(), W_OK) == 0) {
        ::chmod(folder.c_str(), 0755);
        GTEST_SKIP() << "permissions do not apply to this user (root)";
    }
    const auto path = folder / "educa.xml";
    const auto text = failureText([&] { writeFileAtomically(path, std::string_view("nuevo")); });
    ::chmod(folder.c_str(), 0755);
    EXPECT_EQ(text, "No se puede escribir el archivo '" + path.string() + "': " + systemErrorText(EACCES));
    EXPECT_EQ(readFile(path), OldContent);
    EXPECT_EQ(folderEntries(folder), std::vector<std::string> {"educa.xml"});
}

} // namespace
} // namespace exporter
