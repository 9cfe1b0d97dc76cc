#include "file_helpers.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/user_error.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#ifdef _WIN32
#include "platform/wide_text.h"

#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace {

struct Edit
{
    const char* name;
    std::string before;
    std::string after; // with S=1 set in section [Sec]
};

class ProfileText : public ::testing::TestWithParam<Edit>
{
};

TEST_P(ProfileText, setsTheKeyAndKeepsEverythingElse)
{
    EXPECT_EQ(platform::withProfileString(GetParam().before, "Sec", "S", "1"), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Files, ProfileText,
    ::testing::Values(Edit {"emptyFile", "", "[Sec]\r\nS=1\r\n"},
        Edit {"missingSectionLf", "[A]\nx=1\n", "[A]\nx=1\n\n[Sec]\nS=1\n"},
        Edit {"missingSectionAfterBlankLine", "[A]\r\nx=1\r\n\r\n", "[A]\r\nx=1\r\n\r\n[Sec]\r\nS=1\r\n"},
        Edit {"missingSectionNoFinalNewline", "[A]\r\nx=1", "[A]\r\nx=1\r\n\r\n[Sec]\r\nS=1"},
        Edit {"otherCase", "[sEC]\r\ns=0\r\n", "[sEC]\r\ns=1\r\n"},
        Edit {"blanksAroundNames", "[ Sec ]\n  S = 0 \n", "[ Sec ]\n  S =1\n"},
        Edit {"crlfWithComments", "; host\r\n[Sec]\r\n; note\r\nA=1\r\nS=0\r\nB=2\r\n\r\n[T]\r\nS=0\r\n",
            "; host\r\n[Sec]\r\n; note\r\nA=1\r\nS=1\r\nB=2\r\n\r\n[T]\r\nS=0\r\n"},
        Edit {
            "addedAfterLastLineOfSection", "[Sec]\nA=1\n; end\n \n[T]\nB=2\n", "[Sec]\nA=1\n; end\nS=1\n \n[T]\nB=2\n"},
        Edit {"addedToLastSectionWithoutNewline", "[Sec]\nA=1", "[Sec]\nA=1\nS=1"},
        Edit {"addedToEmptySection", "[Sec]\n", "[Sec]\nS=1\n"},
        Edit {"firstOfDuplicateSections", "[Sec]\nA=1\n[T]\n[Sec]\nS=0\n", "[Sec]\nA=1\nS=1\n[T]\n[Sec]\nS=0\n"},
        Edit {"firstOfDuplicateKeys", "[Sec]\nS=0\nS=2\n", "[Sec]\nS=1\nS=2\n"},
        Edit {"keyWithoutValue", "[Sec]\nS  \n", "[Sec]\nS=1\n"},
        Edit {"commentAndLongerNamesDontMatch", "[Sec2]\nS=0\n[Sec]\n;S=0\nSS=0\n",
            "[Sec2]\nS=0\n[Sec]\n;S=0\nSS=0\nS=1\n"},
        Edit {"keyBeforeAnySectionIgnored", "S=0\n[Sec]\n", "S=0\n[Sec]\nS=1\n"},
        Edit {"oldValueWithEquals", "[Sec]\nS=a=b\n", "[Sec]\nS=1\n"},
        Edit {"byteOrderMark", "\xEF\xBB\xBF[Sec]\r\nS=0\r\n", "\xEF\xBB\xBF[Sec]\r\nS=1\r\n"},
        Edit {"otherBytesKept", "[Sec]\nS=0\n\xF1\x01\tz\r\r\n", "[Sec]\nS=1\n\xF1\x01\tz\r\r\n"},
        // The system's reader: a lone CR ends a line, a header runs to its last "]", a "[" line without
        // one is an ordinary line, and vertical tab, form feed and Ctrl+Z are blanks.
        Edit {"loneCrEndsALine", "[A]\nS=0\r[Sec]\r\nx=2\n", "[A]\nS=0\r[Sec]\r\nx=2\nS=1\n"},
        Edit {"headerWithoutClosingBracket", "[Sec\r", "[Sec\r\r[Sec]\rS=1\r"},
        Edit {"nameRunsToTheLastBracket", "[Sec]]\nS=0\n", "[Sec]]\nS=0\n\n[Sec]\nS=1\n"},
        Edit {"otherBlanks", "[ Sec\f]\n\x1AS\v=0\n", "[ Sec\f]\n\x1AS\v=1\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileText, rejectsNamesAndValuesThatWouldBreakTheFile)
{
    EXPECT_THROW(platform::withProfileString("", "", "k", "v"), std::invalid_argument);
    EXPECT_THROW(platform::withProfileString("", "s", " ", "v"), std::invalid_argument);
    EXPECT_THROW(platform::withProfileString("", "s]", "k", "v"), std::invalid_argument);
    EXPECT_THROW(platform::withProfileString("", "s", "k=x", "v"), std::invalid_argument);
    EXPECT_THROW(platform::withProfileString("", "s", "[k", "v"), std::invalid_argument);
    EXPECT_THROW(platform::withProfileString("", "s", "k", "1\r\n[x]"), std::invalid_argument);
    EXPECT_THROW(platform::withProfileString("", "s\n", "k", "v"), std::invalid_argument);
    EXPECT_THROW(platform::withProfileString("\xFF\xFE[\0s\0]\0", "s", "k", "v"), platform::UnsupportedProfileText);
}

using platform::testing::folderEntries;
using platform::testing::readAll;
using platform::testing::writeAll;

class ProfileFile : public ::testing::Test
{
protected:
    // Expects the write to fail with the message naming the file.
    void expectFailure(const fs::path& file)
    {
        try {
            platform::writeProfileString(file, "Transformadores", "Transformado", "1");
            ADD_FAILURE() << "no failure writing " << file;
        } catch (const platform::UserError& error) {
            EXPECT_EQ(std::string(error.what()), "Unable to write to " + platform::pathText(file));
        }
    }

    support::TempFolder m_temp {"educa-ini"};
    const fs::path& m_dir = m_temp.path();
};

TEST_F(ProfileFile, missingFileIsCreated)
{
    const fs::path file = m_dir / "Morvanta.ini";
    platform::writeProfileString(file, "Transformadores", "Transformado", "1");
    EXPECT_EQ(readAll(file), "[Transformadores]\r\nTransformado=1\r\n");
    EXPECT_EQ(folderEntries(m_dir), std::vector<std::string> {"Morvanta.ini"});
}

TEST_F(ProfileFile, existingFileIsEditedAndKeepsItsPermissions)
{
    const fs::path file = m_dir / "Morvanta.ini";
    writeAll(file, "[General]\r\nDatos=c:\\mtemp\r\n[transformadores]\r\ntransformado=0\r\nOtro=x");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    platform::writeProfileString(file, "Transformadores", "Transformado", "1");
#ifdef _WIN32
    // The system's writer ends every line it writes.
    EXPECT_EQ(readAll(file), "[General]\r\nDatos=c:\\mtemp\r\n[transformadores]\r\ntransformado=1\r\nOtro=x\r\n");
#else
    EXPECT_EQ(readAll(file), "[General]\r\nDatos=c:\\mtemp\r\n[transformadores]\r\ntransformado=1\r\nOtro=x");
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
    EXPECT_EQ(folderEntries(m_dir), std::vector<std::string> {"Morvanta.ini"});
}

#ifndef _WIN32
TEST_F(ProfileFile, symbolicLinkStaysALink)
{
    const fs::path target = m_dir / "real.ini";
    const fs::path link = m_dir / "Morvanta.ini";
    writeAll(target, "[Transformadores]\nTransformado=0\n");
    fs::create_symlink(target.filename(), link);
    platform::writeProfileString(link, "Transformadores", "Transformado", "1");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readAll(target), "[Transformadores]\nTransformado=1\n");
}
#endif

TEST_F(ProfileFile, missingFolderOrFileAsFolderFails)
{
    expectFailure(m_dir / "falta" / "Morvanta.ini");
    writeAll(m_dir / "archivo", "x");
    expectFailure(m_dir / "archivo" / "Morvanta.ini");
    fs::create_directory(m_dir / "Morvanta.ini");
    expectFailure(m_dir / "Morvanta.ini");
    EXPECT_TRUE(fs::is_directory(m_dir / "Morvanta.ini"));
    EXPECT_EQ(readAll(m_dir / "archivo"), "x");
    EXPECT_EQ(folderEntries(m_dir), (std::vector<std::string> {"Morvanta.ini", "archivo"}));
}

#ifndef _WIN32
// A file that exists but cannot be read must not be taken for a missing one and overwritten.
TEST_F(ProfileFile, unreadableFileIsNotReplaced)
{
    const fs::path loop = m_dir / "Morvanta.ini";
    fs::create_symlink(loop.filename(), loop);
    expectFailure(loop);
    EXPECT_TRUE(fs::is_symlink(loop));
    const fs::path fifo = m_dir / "fifo.ini";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    expectFailure(fifo);
    EXPECT_EQ(fs::status(fifo).type(), fs::file_type::fifo);
}
#endif

TEST_F(ProfileFile, readOnlyFileIsLeftAlone)
{
    const fs::path file = m_dir / "Morvanta.ini";
    writeAll(file, "[Transformadores]\r\nTransformado=0\r\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    expectFailure(file);
    EXPECT_EQ(readAll(file), "[Transformadores]\r\nTransformado=0\r\n");
    EXPECT_EQ(folderEntries(m_dir), std::vector<std::string> {"Morvanta.ini"});
}

#ifdef _WIN32

// The host reads the file with the system's profile calls: what we write must read back so, with the
// host's other sections and keys as they were. The file lies in a folder named beyond ASCII, as a
// user's own folder may be ("Begoña"), and beyond any one ANSI code page.
struct HostIni
{
    const char* name;
    std::string before;
    const char* value;
};

void PrintTo(const HostIni& ini, std::ostream* os)
{
    *os << ini.name;
}

class ProfileReadBack : public ProfileFile, public ::testing::WithParamInterface<HostIni>
{
protected:
    void SetUp() override { fs::create_directories(m_folder); }

    // The wide call, which takes the path as it stands.
    std::string read(const char* section, const char* key)
    {
        wchar_t buffer[256] = {};
        GetPrivateProfileStringW(platform::widen(section).c_str(), platform::widen(key).c_str(), L"(ninguno)", buffer,
            DWORD(std::size(buffer)), (m_folder / "Morvanta.ini").c_str());
        return platform::narrow(buffer);
    }

    const fs::path m_folder = m_dir / u8"Begoña Ωмега";
};

TEST_P(ProfileReadBack, theSystemReadsTheValueAndTheHostsKeys)
{
    const fs::path file = m_folder / "Morvanta.ini";
    if (!GetParam().before.empty())
        writeAll(file, GetParam().before);
    platform::writeProfileString(file, "Transformadores", "Transformado", GetParam().value);
    EXPECT_EQ(read("Transformadores", "Transformado"), GetParam().value);
    EXPECT_EQ(read("transformadores", "TRANSFORMADO"), GetParam().value);
    if (GetParam().before.find("Datos") != std::string::npos) {
        EXPECT_EQ(read("General", "Datos"), "c:\\mtemp");
        EXPECT_EQ(read("General", "Curso"), "2025-2026");
        EXPECT_EQ(read("Transformadores", "Otro"), "x");
    }
    EXPECT_EQ(read("Transformadores", "Falta"), "(ninguno)");
}

INSTANTIATE_TEST_SUITE_P(Files, ProfileReadBack,
    ::testing::Values(HostIni {"newFileOne", "", "1"}, HostIni {"newFileZero", "", "0"},
        HostIni {"hostFileCrLf",
            "[General]\r\nDatos=c:\\mtemp\r\nCurso=2025-2026\r\n\r\n[Transformadores]\r\nOtro=x\r\n", "1"},
        HostIni {"hostFileOldValue",
            "[General]\nDatos=c:\\mtemp\nCurso=2025-2026\n[Transformadores]\nTransformado=1\nOtro=x\n", "0"},
        HostIni {"sectionInOtherCase", "[TRANSFORMADORES]\r\ntransformado = 0\r\n", "1"}),
    [](const auto& info) { return std::string(info.param.name); });

// Another program holds the file open for reading and writing, but not for deletion, as editors do:
// the copy cannot take the file's place, and the system writes the key in the file itself.
TEST_F(ProfileFile, aFileThatCannotBeReplacedGetsTheKeyInPlace)
{
    const fs::path file = m_dir / "Morvanta.ini";
    writeAll(file, "[General]\r\nDatos=c:\\mtemp\r\n");
    const HANDLE held = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    platform::writeProfileString(file, "Transformadores", "Transformado", "1");
    // Through the handle held all along: the key went into that very file.
    char bytes[256] = {};
    DWORD got = 0;
    ReadFile(held, bytes, sizeof bytes, &got, nullptr);
    CloseHandle(held);
    EXPECT_EQ(std::string(bytes, got), "[General]\r\nDatos=c:\\mtemp\r\n[Transformadores]\r\nTransformado=1\r\n");
    EXPECT_EQ(folderEntries(m_dir), std::vector<std::string> {"Morvanta.ini"});
}

// Where the system's own rewrite would read otherwise than the file did (a section without a name,
// whose keys it moves into the section before), the portable rules' text, which keeps every other
// byte, is written instead.
TEST_F(ProfileFile, aSystemRewriteThatChangesOtherKeysIsNotUsed)
{
    const fs::path file = m_dir / "Morvanta.ini";
    const std::string old = "[A]\r\nx=1\r\n[]\r\ny=2\r\n";
    writeAll(file, old);
    platform::writeProfileString(file, "Transformadores", "Transformado", "1");
    EXPECT_EQ(readAll(file), platform::withProfileString(old, "Transformadores", "Transformado", "1"));
    EXPECT_EQ(folderEntries(m_dir), std::vector<std::string> {"Morvanta.ini"});
}

// Every file of the ini fuzzer's seeds and findings, edited by our writer and by the system's
// WritePrivateProfileStringW alone, reads the same through the system's reader: the same sections in
// the same order, and in each the same keys with the same values. The portable rules
// (withProfileString) are held against the system's WritePrivateProfileStringA on the same bytes.
struct FuzzIni
{
    std::string name;
    std::string section, key, value, content;
};

void PrintTo(const FuzzIni& ini, std::ostream* os)
{
    *os << ini.name;
}

std::vector<FuzzIni> fuzzIniInputs()
{
    constexpr std::string_view Marker = "@@PART@@";
    std::vector<FuzzIni> inputs;
    for (const char* kind : {"corpus", "regressions"}) {
        for (const auto& entry : fs::directory_iterator(fs::path(FUZZ_DIR) / kind / "ini")) {
            std::string rest = readAll(entry.path());
            std::vector<std::string> parts;
            for (std::size_t at; parts.size() < 3 && (at = rest.find(Marker)) != std::string::npos;) {
                parts.push_back(rest.substr(0, at));
                rest.erase(0, at + Marker.size());
            }
            if (parts.size() == 3) {
                std::string name = std::string(kind) + "_" + entry.path().filename().string();
                std::replace_if(
                    name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
                inputs.push_back({name, parts[0], parts[1], parts[2], rest});
            }
        }
    }
    return inputs;
}

// The file as the system's reader gives it, a line a section or key.
std::vector<std::string> systemReading(const fs::path& file)
{
    std::vector<std::string> reading;
    std::vector<wchar_t> names(1 << 16), keys(1 << 16), value(1 << 16);
    GetPrivateProfileSectionNamesW(names.data(), DWORD(names.size()), file.c_str());
    for (const wchar_t* section = names.data(); *section; section += wcslen(section) + 1) {
        reading.push_back("[" + platform::narrow(section) + "]");
        GetPrivateProfileStringW(section, nullptr, L"", keys.data(), DWORD(keys.size()), file.c_str());
        for (const wchar_t* key = keys.data(); *key; key += wcslen(key) + 1) {
            GetPrivateProfileStringW(section, key, L"", value.data(), DWORD(value.size()), file.c_str());
            reading.push_back(platform::narrow(key) + "=" + platform::narrow(value.data()));
        }
    }
    return reading;
}

class ProfileLikeTheSystem : public ProfileFile, public ::testing::WithParamInterface<FuzzIni>
{
};

TEST_P(ProfileLikeTheSystem, readsAsTheSystemsOwnWrite)
{
    const FuzzIni& in = GetParam();
    const fs::path ours = m_dir / "ours.ini", system = m_dir / "system.ini";
    const fs::path portable = m_dir / "portable.ini", systemA = m_dir / "systemA.ini";
    for (const fs::path& file : {ours, system, systemA})
        writeAll(file, in.content);
    try {
        platform::writeProfileString(ours, in.section, in.key, in.value);
    } catch (const std::invalid_argument&) {
        EXPECT_EQ(readAll(ours), in.content); // names the writer refuses leave the file alone
        return;
    }
    WritePrivateProfileStringW(platform::widen(in.section).c_str(), platform::widen(in.key).c_str(),
        platform::widen(in.value).c_str(), system.c_str());
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, system.c_str());
    EXPECT_EQ(systemReading(ours), systemReading(system));
    EXPECT_NE(systemReading(ours), std::vector<std::string> {});

    std::string text;
    try {
        text = platform::withProfileString(in.content, in.section, in.key, in.value);
    } catch (const platform::UnsupportedProfileText&) {
        return;
    }
    writeAll(portable, text);
    WritePrivateProfileStringA(in.section.c_str(), in.key.c_str(), in.value.c_str(), systemA.string().c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, systemA.string().c_str());
    EXPECT_EQ(systemReading(portable), systemReading(systemA));
}

INSTANTIATE_TEST_SUITE_P(
    Fuzz, ProfileLikeTheSystem, ::testing::ValuesIn(fuzzIniInputs()), [](const auto& info) { return info.param.name; });

#else
// A write that fails halfway (here: the file size limit) leaves the old file whole and no temporary file.
TEST_F(ProfileFile, failedWriteKeepsTheOldFile)
{
    const fs::path file = m_dir / "Morvanta.ini";
    const std::string old = "[Transformadores]\r\nTransformado=0\r\n";
    writeAll(file, old);

    rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    bool failed = false;
    try {
        platform::writeProfileString(file, "Transformadores", "Transformado", "1");
    } catch (const platform::UserError&) {
        failed = true;
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_TRUE(failed);
    EXPECT_EQ(readAll(file), old);
    EXPECT_EQ(folderEntries(m_dir), std::vector<std::string> {"Morvanta.ini"});
}
#endif

} // namespace
