#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Starting a program from a test, the same way on POSIX systems and Windows.
namespace support {

struct ProgramResult
{
    int exitCode = -1; // -1 when the program did not end by itself (a signal) or could not start
    std::string out; // its standard output, byte for byte
    std::string err; // its standard error
};

// Runs a program with the given arguments (UTF-8; passed whole, whatever characters they hold) and,
// while it runs, the given environment variables set (a value of nothing removes one). Its standard
// input is empty; its standard output and error go to files in `folder`, read back when it has ended.
ProgramResult runProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
    const std::vector<std::pair<std::string, std::optional<std::string>>>& environment,
    const std::filesystem::path& folder);

// The system's own text for an error number of the system (errno on POSIX, a GetLastError() value on
// Windows), UTF-8.
std::string systemMessage(int code);

} // namespace support
