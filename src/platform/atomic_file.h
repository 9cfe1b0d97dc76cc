#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>

namespace platform {

// Where the content of an atomically written file goes. write() throws FileWriteError when the bytes
// cannot be written; the write then fails as a whole even if the producer catches that failure.
class FileSink
{
public:
    virtual ~FileSink() = default;
    virtual void write(const void* data, std::size_t size) = 0;
};

// The step of an atomic write that failed: writing the new content, or putting it in the target's place.
enum class FileWriteStep
{
    Write,
    Replace,
};

// A failed atomic write. code() is the system's error: an errno value (generic category) on POSIX, a
// GetLastError() value (system category) on Windows. what() is for logs; callers build the user's text
// from file(), step() and systemText().
class FileWriteError : public std::system_error
{
public:
    FileWriteError(std::filesystem::path file, FileWriteStep step, std::error_code error, std::string systemText);

    // The file as the caller named it (a symbolic link, not the file it names).
    const std::filesystem::path& file() const noexcept { return m_file; }
    FileWriteStep step() const noexcept { return m_step; }
    // The system's own text for code(), UTF-8, as the system gives it (may end with a period or line
    // break); empty when the system has none.
    const std::string& systemText() const noexcept { return m_systemText; }

private:
    std::filesystem::path m_file;
    FileWriteStep m_step;
    std::string m_systemText;
};

// Writes a file whole or not at all. The content goes to a new temporary file in the target's folder,
// which is flushed to disk and only then renamed over the target (on POSIX the folder is flushed too).
// An existing target keeps its permission bits and, where the process may set it, its owner (on Windows
// its attributes and security settings); a symbolic link, or a chain of them, is followed to the file
// it names, which is created when missing, and the link stays. A folder, any other non-regular file
// (FIFO, device, socket) and a read-only file (no write permission bit, or one this process may not
// write) are refused before anything is written. On any failure, including an exception thrown by
// produce, the temporary file is removed and the target is left byte for byte as it was.
// Failures of the system are FileWriteError; an exception of produce passes through unchanged.
void writeFileAtomically(const std::filesystem::path& target, const std::function<void(FileSink&)>& produce);

// The same for content already in memory.
void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// True when a failed write's error says that another program holds the file open, so that the
// system refuses to replace it (Windows; on POSIX only a running program's own file, ETXTBSY).
bool isFileInUse(const std::error_code& error);

} // namespace platform
