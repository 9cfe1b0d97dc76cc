// The exchange document and the ini file on a full disk and in folders or files that allow no
// writing: a clear failure, and the old file as it was.

#include "platform/ini_file.h"
#include "platform/user_error.h"
#include "school.h"

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace robustness {
namespace {

using dbase::testing::readFile;
using dbase::testing::TempDir;
using dbase::testing::writeFile;

constexpr int NoNamespace = 77;

// A school whose document (about 300 KB) does not fit in 64 KB.
SchoolFiles schoolWithManyLessons()
{
    SchoolFiles files = smallSchool();
    DbfBuilder soluc = solucTable(false);
    for (int i = 0; i < 3000; ++i)
        soluc.record(fmt::format("{:<4}{:<4}{:<4}{:<4}{:<4}{:<4}{:<4}{:<4}{:<4}{:<4}{:<4}{:<4}", "MAT", i % 100, "1A",
            1, i % 5 + 1, "A", i % 7 + 1, "ESO", "ANA", 1, "CLA", "M"));
    files["mtemp/SOLUC.DBF"] = soluc.build();
    return files;
}

std::string oldDocument()
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><SERVICIO autor=\"MORVANTA\" fecha=\"1/2/24 9:00:00 am\" "
           "modulo=\"HORARIOS\"/>"
        + std::string(10000, '\n');
}

std::string oldIni(std::size_t size)
{
    std::string ini = "[Transformadores]\r\nTransformado=0\r\n[Relleno]\r\n";
    for (int i = 0; ini.size() < size; ++i)
        ini += fmt::format("Clave{}=valor de relleno para ocupar sitio\r\n", i);
    return ini;
}

std::string folderListing(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string listing;
    for (const auto& name : names)
        listing += name + " ";
    return listing;
}

// A 64 KB file system of its own (tmpfs in a private mount namespace, which needs root): the
// document and the ini file cannot be written there in full.
TEST(DiskFull, smallFileSystemRefusesTheDocumentAndTheIniFileAndKeepsTheOldOnes)
{
    TempDir dir;
    writeSchool(schoolWithManyLessons(), dir.path());
    const fs::path salida = dir / "salida";
    const fs::path report = dir / "informe";
    const int code = runInChild([&]() {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || ::mount("tmpfs", salida.c_str(), "tmpfs", 0, "size=64k,mode=0777") != 0)
            return NoNamespace;
        writeFile(salida / "educa.xml", oldDocument());
        writeFile(salida / "Morvanta.ini", oldIni(40000));
        std::ostringstream out;
        const ProgramResult tool = exportWithTool(dir.path());
        out << "exit " << tool.exitCode << "\nerr " << tool.err;
        out << "document " << (readFile(salida / "educa.xml") == oldDocument() ? "old" : "changed") << "\n";
        try {
            platform::writeProfileString(salida / "Morvanta.ini", "Transformadores", "Transformado", "1");
            out << "ini written\n";
        } catch (const platform::UserError& failure) {
            out << "ini " << failure.what() << "\n";
        }
        out << "ini file " << (readFile(salida / "Morvanta.ini") == oldIni(40000) ? "old" : "changed") << "\n";
        out << "files " << folderListing(salida) << "\n";
        writeFile(report, out.str());
        return 0;
    });
    if (code == NoNamespace)
        GTEST_SKIP() << "no private mount namespace here (needs root); the file size limit test covers the failure";
    ASSERT_EQ(code, 0);
    const auto document = (salida / "educa.xml").string();
    EXPECT_EQ(readFile(report),
        "exit 1\nerr No se puede escribir el archivo '" + document + "': No space left on device.\n" + "document old\n"
            + "ini Unable to write to " + (salida / "Morvanta.ini").string() + "\n" + "ini file old\n"
            + "files Morvanta.ini educa.xml \n");
}

// Without a file system to fill, a file size limit makes the writes fail the same way.
TEST(DiskFull, fileSizeLimitRefusesTheDocumentAndTheIniFileAndKeepsTheOldOnes)
{
    TempDir dir;
    writeSchool(schoolWithManyLessons(), dir.path());
    const fs::path document = dir / "salida" / "educa.xml";
    const fs::path ini = dir / "salida" / "Morvanta.ini";
    writeFile(document, oldDocument());
    writeFile(ini, oldIni(100000));
    RunOptions limited;
    limited.fileSizeLimit = 64 * 1024;

    const ProgramResult tool = exportWithTool(dir.path(), limited);
    EXPECT_EQ(tool.exitCode, 1);
    EXPECT_EQ(tool.err, "No se puede escribir el archivo '" + document.string() + "': File too large.\n");
    EXPECT_EQ(readFile(document), oldDocument());

    const ProgramResult writer = runProgram(INI_WRITE_LOOP_PATH, {ini.string(), "1"}, limited);
    EXPECT_EQ(writer.exitCode, 1);
    EXPECT_EQ(writer.err, "Unable to write to " + ini.string() + "\n");
    EXPECT_EQ(readFile(ini), oldIni(100000));
    EXPECT_EQ(folderListing(dir / "salida"), "Morvanta.ini educa.xml ");
}

// A folder that allows no writing, and an ini file that allows no writing: as root the programs run
// as an unprivileged user, whom the permission bits stop.
TEST(ReadOnly, folderOrFileThatAllowsNoWritingKeepsTheOldFile)
{
    TempDir dir;
    writeSchool(smallSchool(), dir.path());
    RunOptions unprivileged;
    if (::geteuid() == 0)
        unprivileged.asUser = NobodyId;

    const fs::path closed = dir / "salida";
    const fs::path document = closed / "educa.xml";
    const fs::path iniInClosed = closed / "Morvanta.ini";
    writeFile(document, oldDocument());
    writeFile(iniInClosed, oldIni(2000));
    fs::permissions(
        document, fs::perms::all & ~fs::perms::owner_exec & ~fs::perms::group_exec & ~fs::perms::others_exec);
    fs::permissions(iniInClosed,
        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::group_write
            | fs::perms::others_read | fs::perms::others_write);
    fs::permissions(closed,
        fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read | fs::perms::group_exec
            | fs::perms::others_read | fs::perms::others_exec);

    const ProgramResult tool = exportWithTool(dir.path(), unprivileged);
    EXPECT_EQ(tool.exitCode, 1);
    EXPECT_EQ(tool.err, "No se puede escribir el archivo '" + document.string() + "': Permission denied.\n");
    EXPECT_EQ(readFile(document), oldDocument());

    const ProgramResult inClosedFolder = runProgram(INI_WRITE_LOOP_PATH, {iniInClosed.string(), "1"}, unprivileged);
    EXPECT_EQ(inClosedFolder.exitCode, 1);
    EXPECT_EQ(inClosedFolder.err, "Unable to write to " + iniInClosed.string() + "\n");
    EXPECT_EQ(readFile(iniInClosed), oldIni(2000));
    EXPECT_EQ(folderListing(closed), "Morvanta.ini educa.xml ");

    const fs::path open = dir / "abierta";
    fs::create_directory(open);
    fs::permissions(open, fs::perms::all);
    const fs::path readOnlyIni = open / "Morvanta.ini";
    writeFile(readOnlyIni, oldIni(2000));
    fs::permissions(readOnlyIni, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const ProgramResult readOnlyFile = runProgram(INI_WRITE_LOOP_PATH, {readOnlyIni.string(), "1"}, unprivileged);
    EXPECT_EQ(readOnlyFile.exitCode, 1);
    EXPECT_EQ(readOnlyFile.err, "Unable to write to " + readOnlyIni.string() + "\n");
    EXPECT_EQ(readFile(readOnlyIni), oldIni(2000));
    EXPECT_EQ(folderListing(open), "Morvanta.ini ");

    fs::permissions(closed, fs::perms::all);
}

} // namespace
} // namespace robustness
