#pragma once

#include "export/export_run.h"
#include "export/failure_text.h"
#include "platform/paths.h"
#include "platform/regional.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace exporter::test {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir : public support::TempFolder
{
public:
    TempDir()
        : support::TempFolder("educa-export-test")
    {
    }
};

// The text of a save into a folder that does not exist, as the system gives it (trimmed).
inline std::string missingFolderText()
{
#ifdef _WIN32
    return trimFailureText(support::systemMessage(3)); // ERROR_PATH_NOT_FOUND
#else
    return systemErrorText(ENOENT);
#endif
}

inline fs::path fixture(const std::string& relative)
{
    return fs::path(EXPORT_FIXTURES_DIR) / relative;
}

// Copies a fixture folder (recursively) into a new folder of the temporary one.
inline fs::path copyFixture(const std::string& name, const TempDir& into, const std::string& as)
{
    const auto target = into / as;
    fs::copy(fixture(name), target, fs::copy_options::recursive);
    return target;
}

inline std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::vector<std::string> folderEntries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(platform::pathText(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

// Spanish settings as a Windows machine in Spain gives them: "," for decimals, dd/MM/yyyy, H:mm:ss.
inline platform::RegionalSettings spanishSettings()
{
    platform::RegionalSettings settings;
    settings.decimalSeparator = ",";
    settings.shortDate = "dd/MM/yyyy";
    settings.dateSeparator = "/";
    settings.timeSeparator = ":";
    settings.clock24 = 1;
    settings.hourLeadingZero = 0;
    settings.timeMarkBefore = 0;
    return settings;
}

// 8 December 2025, 9:05:07.
inline platform::LocalTime fixedMoment()
{
    return {2025, 12, 8, 9, 5, 7};
}

} // namespace exporter::test
