#pragma once

// Child processes for the tests: educa-export and the ini writer loop run as separate programs, so
// that they can be killed, limited or run as another user.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace robustness {

// The unprivileged user the permission tests run as (the tests themselves may run as root, whom
// permission bits do not stop).
inline constexpr uid_t NobodyId = 65534;

struct ProgramResult
{
    int exitCode = -1; // -1 when the program did not end by itself
    bool timedOut = false;
    std::string out;
    std::string err;
};

struct RunOptions
{
    std::optional<uid_t> asUser; // the program runs as this user and group (needs root)
    std::optional<unsigned long> fileSizeLimit; // RLIMIT_FSIZE in bytes; SIGXFSZ is ignored
    std::chrono::milliseconds timeout {30000};
};

// Runs a program with arguments to its end (killed after the timeout), capturing both outputs.
ProgramResult runProgram(
    const std::string& path, const std::vector<std::string>& arguments, const RunOptions& options = {});

// Starts a program with its outputs thrown away, and returns at once.
pid_t startProgram(const std::string& path, const std::vector<std::string>& arguments);

// Waits for a started program; kills it when it outlives the timeout. The wait status.
int waitForProgram(pid_t pid, std::chrono::milliseconds timeout);

// Runs a function in a child process and answers its exit code (-1 when it did not exit normally,
// or outlived the timeout). For checks that need another user or another mount namespace.
int runInChild(const std::function<int()>& body, std::chrono::milliseconds timeout = std::chrono::seconds(60));

// The educa-export program of this build.
std::string exportProgram();

} // namespace robustness
