// The export never writes a table: every table file and memo file keeps its bytes, its
// modification time and its status-change time, although Asig.DBF is opened for reading and
// writing.

#include "platform/user_error.h"
#include "school.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace robustness {
namespace {

using dbase::testing::dbt3;
using dbase::testing::fpt;
using dbase::testing::padded;
using dbase::testing::readFile;
using dbase::testing::rightAligned;
using dbase::testing::TempDir;

struct FileState
{
    std::string bytes;
    timespec modified {};
    timespec changed {};
};

bool operator==(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

FileState stateOf(const fs::path& path)
{
    struct stat info
    {
    };
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return {readFile(path), info.st_mtim, info.st_ctim};
}

// A school whose Asig is a FoxPro table with its memo and index files beside it, and whose
// teachers carry notes in a dBase III memo file.
SchoolFiles schoolWithMemos(bool asigHasNhoras = true)
{
    SchoolFiles files = smallSchool();
    DbfBuilder asig(0xF5);
    asig.languageDriver(0x02);
    for (const char* name : {"ASIG", "AULA0", "AULA1", "AULA2", "AULA3", "AULA4", "GRUP", "PROF"})
        asig.column(name, 'C', 4);
    asig.column("EDIFICIO", 'C', 1).column("NALUM", 'N', 3).column("TIPO", 'M', 10);
    if (asigHasNhoras)
        asig.column("NHORAS", 'N', 2);
    asig.record("MAT A1  " + std::string(16, ' ') + "1A  ANA " + "B" + " 25" + rightAligned("8", 10)
        + (asigHasNhoras ? " 4" : ""));
    files["datos/Asig.DBF"] = asig.build();
    files["datos/Asig.FPT"] = fpt({{1,
        "Teor\xA1"
        "a"}});
    files["datos/Asig.CDX"] = std::string(1024, '\0');
    files["datos/PROF.DBF"]
        = DbfBuilder(0x83)
              .languageDriver(0x02)
              .column("ABREV", 'C', 4)
              .column("NOMBRE", 'C', 20)
              .column("DEPART", 'C', 20)
              .column("NOTAS", 'M', 10)
              .record("ANA " + padded("Ana Ruiz", 20) + padded("Ciencias", 20) + rightAligned("1", 10))
              .build();
    files["datos/PROF.DBT"] = dbt3({"Tutora de 1A"});
    return files;
}

class UntouchedTables : public ::testing::Test
{
protected:
    // Writes the school, moves every file's times into the past and remembers their states.
    void prepare(const SchoolFiles& files)
    {
        writeSchool(files, m_dir.path());
        const timespec past[2] = {{1'700'000'000, 123'456'789}, {1'700'000'000, 123'456'789}};
        for (const auto& [name, bytes] : files) {
            ASSERT_EQ(::utimensat(AT_FDCWD, (m_dir / name).c_str(), past, 0), 0);
            m_before[name] = stateOf(m_dir / name);
        }
    }

    void expectUntouched()
    {
        for (const auto& [name, before] : m_before) {
            const FileState after = stateOf(m_dir / name);
            EXPECT_EQ(after.bytes, before.bytes) << name;
            EXPECT_TRUE(after.modified == before.modified) << name << ": modification time changed";
            EXPECT_TRUE(after.changed == before.changed) << name << ": status-change time changed";
        }
    }

    TempDir m_dir;
    std::map<std::string, FileState> m_before;
};

TEST_F(UntouchedTables, successfulExportLeavesEveryTableAsItWas)
{
    prepare(schoolWithMemos());
    const ExportOutcome run = exportInProcess(m_dir.path());
    ASSERT_FALSE(run.failed) << run.failureText;
    // The memo files were read, not merely passed by.
    EXPECT_NE(run.document.find("TIPO=\"Teoría\""), std::string::npos);
    const ProgramResult tool = exportWithTool(m_dir.path());
    EXPECT_EQ(tool.exitCode, 0) << tool.err;
    expectUntouched();
}

// A failure inside Asig leaves it open, for reading and writing: still nothing is written, while
// it is open and after it is closed.
TEST_F(UntouchedTables, failedExportWithAsigOpenForWritingLeavesItAsItWas)
{
    prepare(schoolWithMemos(false));
    useCLocaleSettings();
    {
        timetable::TimetableTables tables;
        tables.wwTableSoluc.setDatabaseName((m_dir / "mtemp").string());
        exporter::ExportOptions options;
        options.dataDirectory = (m_dir / "datos").string() + "/";
        EXPECT_THROW(exporter::exportDocument(tables, m_dir / "salida" / "educa.xml", options), platform::UserError);
        ASSERT_TRUE(tables.wwTableASIGT.active());
        EXPECT_FALSE(tables.wwTableASIGT.openedReadOnly());
        EXPECT_EQ(tables.wwTableASIGT.driverName(), "FOXPRO");
        expectUntouched();
    }
    expectUntouched();
    EXPECT_EQ(exportWithTool(m_dir.path()).exitCode, 1);
    expectUntouched();
}

} // namespace
} // namespace robustness
