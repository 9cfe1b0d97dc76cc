#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the fuzz targets run on each input, and what the regression tests run on the inputs the
// fuzzers found. Each check answers the rule the input broke, or nothing when the program handled
// it as it should: a value or a clear failure, never a crash, a stray exception type, a changed
// table file or a half-written output.
namespace fuzzing {

// Separates the parts of one input (table and memo file, the six tables, the ini arguments).
inline constexpr std::string_view PartMarker = "@@PART@@";

// The input cut at each PartMarker; at most maxParts parts, the last one keeping any further marker.
std::vector<std::string_view> splitParts(std::string_view input, std::size_t maxParts);

// The reverse of splitParts, for tools that write inputs.
std::string joinParts(const std::vector<std::string>& parts);

// Input: one flags byte (bit 0: the memo file is named .FPT rather than .DBT; bit 1: open for
// reading and writing), the table file, and after a PartMarker the memo file. Opens the table with
// the engine, reads every column of every row twice (a rewind between) and renders every value as
// text, converting and escaping text also through its code page's tables.
std::optional<std::string> checkTableInput(std::string_view input, const std::filesystem::path& scratch);

// Input: one flags byte (bit 0: the Asig memo file is named .FPT rather than .DBT), then Asig.DBF,
// NOMASG.DBF, PROF.DBF, GRUP.DBF, AULA.DBF, SOLUC.DBF and Asig's memo file, separated by PartMarker;
// a missing part is a missing file. Runs the whole export twice with the same tables (as a user
// would after a failure) to a file in the scratch folder.
std::optional<std::string> checkExportInput(std::string_view input, const std::filesystem::path& scratch);

// Input: a raw command line. Splits it (without and with double-byte lead bytes), decides the start
// request, reads the handle rule, and compares with plain reference readings.
std::optional<std::string> checkCommandLineInput(std::string_view input);

// Input: section, key, value and the existing ini file's content, separated by PartMarker. Sets the
// key in memory and on a file, and checks that the key reads back and nothing else changed.
std::optional<std::string> checkIniInput(std::string_view input, const std::filesystem::path& scratch);

// A fresh folder for one process's inputs, in memory (/dev/shm) where the system has it; removed at
// the end.
class ScratchDir
{
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Empties a folder (creating it when missing).
void resetFolder(const std::filesystem::path& folder);

// The bytes of a file; nothing when it cannot be read.
std::optional<std::string> readWholeFile(const std::filesystem::path& path);

void writeWholeFile(const std::filesystem::path& path, std::string_view bytes);

// The names in a folder, sorted.
std::vector<std::string> folderNames(const std::filesystem::path& folder);

} // namespace fuzzing
