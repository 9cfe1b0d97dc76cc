#pragma once

// Internal to the platform layer: the half of the atomic writer that each system has on its own
// (atomic_file_posix.cpp, atomic_file_win32.cpp), behind what atomic_file.cpp does the same way on both.

#include "platform/atomic_file.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <system_error>

namespace platform::detail {

// Throws the FileWriteError of a failed step, with the system's text for the error.
[[noreturn]] void fail(const std::filesystem::path& file, FileWriteStep step, std::error_code error);

// How often a step that another program's open handle refuses is tried in all, with a pause of
// InUsePauseMs between two tries: a program that only glances at a file (a virus scanner or the
// search indexer reading what was just written) lets go of it within about a second.
constexpr int InUseAttempts = 10;
constexpr int InUsePauseMs = 100;

// Runs `attempt` until it succeeds or fails for another reason than a file in use (isFileInUse), at
// most InUseAttempts times, calling `pause` between two tries; the last try's error (none: success).
std::error_code retryWhileInUse(const std::function<std::error_code()>& attempt, const std::function<void()>& pause);

// The system's own text for an error, UTF-8; empty when the system has none.
std::string systemText(const std::error_code& error);

// The running program's process number, for the temporary file's name.
unsigned long processId();

// A name for a new temporary file beside the target: ".<name>.<process>.<counter>.tmp", the target's
// name shortened where it is long, without cutting a character in two. Never the same twice in a process.
std::filesystem::path temporaryPath(const std::filesystem::path& target);

// The temporary file of one atomic write.
class TemporaryFile
{
public:
    // Follows symbolic links to the file that is to be replaced, refuses a target that cannot be
    // written, and creates the temporary file beside it. Failures name `file`, the path as the caller gave it.
    explicit TemporaryFile(const std::filesystem::path& file);
    // Removes the temporary file unless it has taken the target's place.
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // The temporary file's path (on Windows in full Windows form).
    const std::filesystem::path& path() const;
    // Writes all the bytes, or throws.
    void write(const char* bytes, std::size_t size);
    // Flushes the content to disk and closes the file.
    void finish();
    // Puts the finished file in the target's place.
    void replace();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace platform::detail
