// Killed at any moment (SIGKILL, no chance to clean up), educa-export and the ini writer leave at
// their target either the old file or the whole new one: never a mix, never a cut file.

#include "platform/ini_file.h"
#include "school.h"

#include <algorithm>
#include <csignal>
#include <fmt/format.h>
#include <gtest/gtest.h>
#include <random>
#include <regex>
#include <sys/wait.h>
#include <thread>

namespace robustness {
namespace {

using Clock = std::chrono::steady_clock;
using dbase::testing::readFile;
using dbase::testing::TempDir;
using dbase::testing::writeFile;
using std::chrono::duration_cast;
using std::chrono::microseconds;
using std::chrono::milliseconds;

constexpr int Iterations = 20;
// The lessons of the large school: up to this many, fewer where a run would take much longer than
// RunTarget (a build without optimisation, or with the sanitizers), so that the test stays quick.
constexpr int MaxSolucRows = 100000;
constexpr int CalibrationRows = 5000;
constexpr microseconds RunTarget {500000};

// The document without its date and time, which differ from run to run.
std::string withoutFecha(const std::string& document)
{
    static const std::regex fecha(" fecha=\"[^\"]*\"");
    return std::regex_replace(document, fecha, "", std::regex_constants::format_first_only);
}

// Files in the folder besides the target: temporary files of killed writers.
std::vector<fs::path> leftovers(const fs::path& folder, const std::string& target)
{
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename() != target)
            found.push_back(entry.path());
    }
    return found;
}

bool exited(pid_t pid, int& status)
{
    return ::waitpid(pid, &status, WNOHANG) == pid;
}

std::string solucWithRows(int rows)
{
    DbfBuilder soluc = solucTable(false);
    for (int i = 0; i < rows; ++i)
        soluc.record(fmt::format("{:<4}{:<4}{:<4}{:<4}{:<4}{:<4}{:<4}{:<4}{:<4}{:<4}{:<4}{:<4}", i % 997, i % 100, "1A",
            i % 4 + 1, i % 5 + 1, "A", i % 7 + 1, "ESO", i % 61, 1, "CLA", "M"));
    return soluc.build();
}

class KilledDocument : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new TempDir;
        SchoolFiles files = smallSchool();
        writeSchool(files, s_dir->path());
        // The old document: the small school's.
        const ProgramResult small = exportWithTool(s_dir->path());
        ASSERT_EQ(small.exitCode, 0) << small.err;
        s_old = readFile(target());

        dbase::testing::writeFile(s_dir->path() / "mtemp" / "SOLUC.DBF", solucWithRows(CalibrationRows));
        ASSERT_TRUE(measureRun());
        s_rows = static_cast<int>(
            std::clamp<long long>(CalibrationRows * RunTarget.count() / std::max<long long>(1, s_run.count()),
                CalibrationRows, MaxSolucRows));
        if (s_rows > CalibrationRows) {
            dbase::testing::writeFile(s_dir->path() / "mtemp" / "SOLUC.DBF", solucWithRows(s_rows));
            ASSERT_TRUE(measureRun());
        }
        s_new = withoutFecha(readFile(target()));
        ASSERT_GT(s_new.size(), 500'000u);
    }

    // One whole run gives the new document, the time a run takes and the time its temporary file
    // lives: from its creation to its rename over the target.
    static bool measureRun()
    {
        fs::remove(target());
        const auto start = Clock::now();
        const pid_t pid = startProgram(exportProgram(), arguments());
        int status = 0;
        std::optional<Clock::time_point> created;
        std::optional<Clock::time_point> renamed;
        while (!exited(pid, status)) {
            const bool temporary = !leftovers(s_dir->path() / "salida", "educa.xml").empty();
            if (!created && temporary)
                created = Clock::now();
            if (created && !renamed && !temporary)
                renamed = Clock::now();
            std::this_thread::sleep_for(microseconds(200));
        }
        const auto end = Clock::now();
        s_run = duration_cast<microseconds>(end - start);
        s_save = duration_cast<microseconds>(renamed.value_or(end) - created.value_or(start));
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }

    static fs::path target() { return s_dir->path() / "salida" / "educa.xml"; }

    static std::vector<std::string> arguments()
    {
        return {"--datos", (s_dir->path() / "datos").string(), "--soluc", (s_dir->path() / "mtemp").string(),
            "--salida", target().string()};
    }

    static TempDir* s_dir;
    static std::string s_old;
    static std::string s_new;
    static int s_rows;
    static microseconds s_run;
    static microseconds s_save;
};

TempDir* KilledDocument::s_dir = nullptr;
int KilledDocument::s_rows = 0;
std::string KilledDocument::s_old;
std::string KilledDocument::s_new;
microseconds KilledDocument::s_run {0};
microseconds KilledDocument::s_save {0};

// Half the kills fall anywhere in the run, half while the document is being saved.
TEST_F(KilledDocument, targetIsTheOldOrTheWholeNewDocument)
{
    std::mt19937 random(20251208);
    int old = 0;
    int whole = 0;
    int duringSave = 0;
    const fs::path salida = s_dir->path() / "salida";
    for (int i = 0; i < Iterations; ++i) {
        for (const auto& stray : leftovers(salida, "educa.xml"))
            fs::remove(stray);
        writeFile(target(), s_old);
        const pid_t pid = startProgram(exportProgram(), arguments());
        int status = 0;
        bool gone = false;
        if (i % 2 == 0) {
            std::this_thread::sleep_for(microseconds(random() % (s_run.count() + 1)));
        } else {
            const auto deadline = Clock::now() + 3 * s_run + milliseconds(500);
            while (leftovers(salida, "educa.xml").empty() && !(gone = exited(pid, status)) && Clock::now() < deadline)
                std::this_thread::sleep_for(microseconds(100));
            std::this_thread::sleep_for(microseconds(random() % (s_save.count() + 1)));
        }
        gone = gone || exited(pid, status);
        if (!gone) {
            if (!leftovers(salida, "educa.xml").empty())
                ++duringSave;
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
        }

        const std::string now = readFile(target());
        if (now == s_old)
            ++old;
        else if (withoutFecha(now) == s_new)
            ++whole;
        else
            ADD_FAILURE() << "kill " << i << " left " << now.size() << " bytes that are neither document";
    }
    EXPECT_EQ(old + whole, Iterations);
    // The kills reached the save itself (the time it takes was measured first).
    EXPECT_GT(duringSave, 0) << s_rows << " rows, run " << s_run.count() << " us, temporary file for " << s_save.count()
                             << " us";
    RecordProperty("solucRows", s_rows);
    RecordProperty("old", old);
    RecordProperty("new", whole);
    RecordProperty("killedWhileSaving", duringSave);
}

// The time from the start of `ini_write_loop FILE count` to its end.
microseconds timeWrites(const fs::path& ini, int count)
{
    const auto start = Clock::now();
    const ProgramResult result = runProgram(INI_WRITE_LOOP_PATH, {ini.string(), std::to_string(count)});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return duration_cast<microseconds>(Clock::now() - start);
}

// The ini writer in a loop over a large file, killed at random moments.
TEST(KilledIniWriter, fileIsTheOldOrTheWholeNewText)
{
    TempDir dir;
    const fs::path ini = dir / "Morvanta.ini";
    std::string base;
    for (int section = 0; section < 100; ++section) {
        base += fmt::format("[Seccion{}]\r\n", section);
        for (int key = 0; key < 50; ++key)
            base += fmt::format("Clave{}=valor {} de la seccion {}\r\n", key, key, section);
        if (section == 50)
            base += "[Transformadores]\r\nTransformado=1\r\n";
    }
    const std::string zero = platform::withProfileString(base, "Transformadores", "Transformado", "0");
    const std::string one = platform::withProfileString(base, "Transformadores", "Transformado", "1");
    ASSERT_NE(zero, one);

    // The program's start, and one write: the kills fall within the first four writes.
    writeFile(ini, one);
    const microseconds oneWrite = timeWrites(ini, 1);
    const microseconds fiveWrites = timeWrites(ini, 5);
    const auto write = std::max<long long>(100, (fiveWrites - oneWrite).count() / 4);
    const auto startup = std::max<long long>(0, oneWrite.count() - write);

    std::mt19937 random(1208);
    int seenZero = 0;
    int seenOne = 0;
    int strays = 0;
    for (int i = 0; i < Iterations; ++i) {
        writeFile(ini, one);
        const pid_t pid = startProgram(INI_WRITE_LOOP_PATH, {ini.string(), "0"});
        std::this_thread::sleep_for(microseconds(startup + static_cast<long long>(random() % (4 * write))));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself";

        const std::string now = readFile(ini);
        if (now == zero)
            ++seenZero;
        else if (now == one)
            ++seenOne;
        else
            ADD_FAILURE() << "kill " << i << " left " << now.size() << " bytes that are neither text";
        // A killed writer may leave its temporary file, never anything else.
        for (const auto& stray : leftovers(dir.path(), "Morvanta.ini")) {
            EXPECT_TRUE(std::regex_match(stray.filename().string(), std::regex(R"(\.Morvanta\.ini.*tmp.*)"))) << stray;
            fs::remove(stray);
            ++strays;
        }
    }
    EXPECT_EQ(seenZero + seenOne, Iterations);
    // Some kills came after a finished write ("0"), the others before or inside one.
    EXPECT_GT(seenZero, 0) << "start " << startup << " us, one write " << write << " us";
    RecordProperty("zero", seenZero);
    RecordProperty("one", seenOne);
    RecordProperty("strayTemporaryFiles", strays);
}

} // namespace
} // namespace robustness
