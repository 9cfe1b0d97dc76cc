#include "platform/atomic_file.h"

#include "platform/paths.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

namespace fs = std::filesystem;

FileWriteError::FileWriteError(fs::path file, FileWriteStep step, std::error_code error, std::string systemText)
    : std::system_error(error, "cannot write " + pathText(file))
    , m_file(std::move(file))
    , m_step(step)
    , m_systemText(std::move(systemText))
{
}

namespace {

// Tries for a temporary name that nobody else holds before giving up.
constexpr int TemporaryNameAttempts = 100;
// How much of the target's name goes into the temporary file's name, so that a target whose name is
// near the file system's limit still gets a temporary file.
constexpr std::size_t TemporaryBaseLength = 64;
// Links followed before the chain counts as a loop (the Linux kernel's own limit).
constexpr int MaxLinkHops = 40;
// Content is handed to the system in pieces of this size at the least.
constexpr std::size_t SinkCapacity = 1 << 16;

#ifdef _WIN32

std::error_code lastError()
{
    return {static_cast<int>(GetLastError()), std::system_category()};
}

std::error_code windowsError(DWORD code)
{
    return {static_cast<int>(code), std::system_category()};
}

std::string systemText(const std::error_code& error)
{
    if (error.category() != std::system_category())
        return error.message();
    wchar_t* buffer = nullptr;
    const DWORD length
        = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, static_cast<DWORD>(error.value()), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text;
    if (length > 0 && buffer != nullptr) {
        const int size
            = WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
        if (size > 0) {
            text.resize(static_cast<std::size_t>(size));
            WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(length), text.data(), size, nullptr, nullptr);
        }
    }
    LocalFree(buffer);
    return text;
}

unsigned long processId()
{
    return GetCurrentProcessId();
}

#else

std::error_code errnoError(int number)
{
    return {number, std::generic_category()};
}

std::error_code lastError()
{
    return errnoError(errno);
}

std::string systemText(const std::error_code& error)
{
    return error.message();
}

unsigned long processId()
{
    return static_cast<unsigned long>(::getpid());
}

#endif

[[noreturn]] void fail(const fs::path& file, FileWriteStep step, std::error_code error)
{
    throw FileWriteError(file, step, error, systemText(error));
}

fs::path folderOf(const fs::path& file)
{
    fs::path folder = file.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// ".<name>.<process>.<counter>.tmp", with the name shortened without cutting a UTF-8 sequence (POSIX)
// or a surrogate pair (Windows) in two.
fs::path temporaryPath(const fs::path& target)
{
    static std::atomic<unsigned> counter {0};
    fs::path::string_type base = target.filename().native();
    if (base.size() > TemporaryBaseLength) {
        std::size_t length = TemporaryBaseLength;
#ifdef _WIN32
        if (base[length - 1] >= 0xD800 && base[length - 1] <= 0xDBFF)
            --length;
#else
        while (length > 0 && (static_cast<unsigned char>(base[length]) & 0xC0) == 0x80)
            --length;
#endif
        base.resize(length);
    }
    const std::string suffix = "." + std::to_string(processId()) + "." + std::to_string(counter++) + ".tmp";
    fs::path::string_type name(1, fs::path::value_type('.'));
    name += base;
    name.append(suffix.begin(), suffix.end());
    return folderOf(target) / fs::path(name);
}

#ifdef _WIN32

// The file a symbolic link (or junction-like reparse point) names, as the system resolves it; any other
// file as it is. A link whose file is missing cannot be resolved on Windows and fails.
fs::path replacedFile(const fs::path& file)
{
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return file;
    const HANDLE handle = CreateFileW(file.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        fail(file, FileWriteStep::Write, lastError());
    std::wstring resolved(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(handle, resolved.data(), static_cast<DWORD>(resolved.size()), 0);
    if (length >= resolved.size()) {
        resolved.resize(length);
        length = GetFinalPathNameByHandleW(handle, resolved.data(), static_cast<DWORD>(resolved.size()), 0);
    }
    const std::error_code error = length == 0 ? lastError() : std::error_code();
    CloseHandle(handle);
    if (error)
        fail(file, FileWriteStep::Write, error);
    resolved.resize(length);
    return fs::path(resolved);
}

// What is known of the target before it is replaced.
struct Existing
{
    bool exists = false;
};

Existing inspect(const fs::path& target, const fs::path& file)
{
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        // A missing folder shows when the temporary file is created in it.
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return {};
        fail(file, FileWriteStep::Write, windowsError(error));
    }
    // A folder is refused as opening it for writing would be (access denied).
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_READONLY))
        fail(file, FileWriteStep::Write, windowsError(ERROR_ACCESS_DENIED));
    if (attributes & FILE_ATTRIBUTE_DEVICE)
        fail(file, FileWriteStep::Write, windowsError(ERROR_NOT_SUPPORTED));
    return {true};
}

class TemporaryFile
{
public:
    TemporaryFile(const fs::path& target, const fs::path& file)
        : m_file(file)
    {
        for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
            fs::path candidate = temporaryPath(target);
            m_handle
                = CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (m_handle != INVALID_HANDLE_VALUE) {
                m_path = std::move(candidate);
                return;
            }
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
                fail(m_file, FileWriteStep::Write, windowsError(error));
        }
        fail(m_file, FileWriteStep::Write, windowsError(ERROR_FILE_EXISTS));
    }

    ~TemporaryFile()
    {
        if (m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
        if (!m_kept && !m_path.empty())
            DeleteFileW(m_path.c_str());
    }

    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // ReplaceFileW carries the old file's attributes and security settings over when it replaces it.
    void adopt(const Existing&) { }

    void write(const char* bytes, std::size_t size)
    {
        while (size > 0) {
            const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 20));
            DWORD written = 0;
            if (!WriteFile(m_handle, bytes, piece, &written, nullptr))
                fail(m_file, FileWriteStep::Write, lastError());
            if (written == 0)
                fail(m_file, FileWriteStep::Write, windowsError(ERROR_WRITE_FAULT));
            bytes += written;
            size -= written;
        }
    }

    // Flushes the content to disk and closes the file.
    void finish()
    {
        if (!FlushFileBuffers(m_handle))
            fail(m_file, FileWriteStep::Write, lastError());
        const BOOL closed = CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
        if (!closed)
            fail(m_file, FileWriteStep::Write, lastError());
    }

    // ReplaceFileW keeps the old file's attributes and security settings; a missing target is a plain
    // move instead (also when the target went away in between).
    void replace(const fs::path& target, const Existing& existing)
    {
        if (existing.exists
            && ReplaceFileW(
                target.c_str(), m_path.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
            m_kept = true;
            return;
        }
        const DWORD error = existing.exists ? GetLastError() : DWORD(ERROR_FILE_NOT_FOUND);
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
            fail(m_file, FileWriteStep::Replace, windowsError(error));
        if (MoveFileExW(m_path.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            m_kept = true;
            return;
        }
        // ReplaceFileW moved the old file aside and could not put the new one in its place: the new
        // content is then the only copy left under a known name, so it stays.
        if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
            m_kept = true;
        fail(m_file, FileWriteStep::Replace, lastError());
    }

private:
    const fs::path& m_file;
    fs::path m_path;
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    bool m_kept = false;
};

#else

// The file that a symbolic link names, through any chain of links, even when that file does not exist
// yet; any other path as it is. A chain longer than the system allows fails as a loop.
fs::path replacedFile(const fs::path& file)
{
    fs::path current = file;
    for (int hop = 0; hop <= MaxLinkHops; ++hop) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(current, ec)))
            return current;
        const fs::path next = fs::read_symlink(current, ec);
        if (ec)
            fail(file, FileWriteStep::Write, ec);
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    fail(file, FileWriteStep::Write, errnoError(ELOOP));
}

struct Existing
{
    bool exists = false;
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;
};

Existing inspect(const fs::path& target, const fs::path& file)
{
    using FileStatus = struct stat;
    FileStatus status {};
    if (::stat(target.c_str(), &status) != 0) {
        // A missing folder shows when the temporary file is created in it.
        if (errno == ENOENT)
            return {};
        fail(file, FileWriteStep::Write, lastError());
    }
    if (S_ISDIR(status.st_mode))
        fail(file, FileWriteStep::Write, errnoError(EISDIR));
    // Renaming over a FIFO or a device would silently take it away instead of writing to it.
    if (!S_ISREG(status.st_mode))
        fail(file, FileWriteStep::Write, errnoError(ENOTSUP));
    // A file without any write bit counts as read-only even for a privileged process, as a file marked
    // read-only does on Windows, where it cannot be replaced either.
    if ((status.st_mode & 0222) == 0)
        fail(file, FileWriteStep::Write, errnoError(EACCES));
    if (::access(target.c_str(), W_OK) != 0)
        fail(file, FileWriteStep::Write, lastError());
    return {true, status.st_mode, status.st_uid, status.st_gid};
}

class TemporaryFile
{
public:
    TemporaryFile(const fs::path& target, const fs::path& file)
        : m_file(file)
    {
        for (int attempt = 0; attempt < TemporaryNameAttempts && m_fd < 0; ++attempt) {
            fs::path candidate = temporaryPath(target);
            m_fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (m_fd >= 0)
                m_path = std::move(candidate);
            else if (errno != EEXIST)
                fail(m_file, FileWriteStep::Write, lastError());
        }
        if (m_fd < 0)
            fail(m_file, FileWriteStep::Write, errnoError(EEXIST));
    }

    ~TemporaryFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_kept && !m_path.empty())
            ::unlink(m_path.c_str());
    }

    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Gives the new file the old one's owner and permission bits before any content is in it.
    void adopt(const Existing& existing)
    {
        if (!existing.exists)
            return;
        // The owner goes first, since a change of owner may clear set-id bits.
        if (::fchown(m_fd, existing.owner, existing.group) != 0) {
            // Only a privileged process may give the file to another owner; others keep it as theirs.
        }
        if (::fchmod(m_fd, existing.mode & 07777) != 0)
            fail(m_file, FileWriteStep::Write, lastError());
    }

    void write(const char* bytes, std::size_t size)
    {
        while (size > 0) {
            const ssize_t written = ::write(m_fd, bytes, size);
            if (written < 0 && errno == EINTR)
                continue;
            if (written < 0)
                fail(m_file, FileWriteStep::Write, lastError());
            if (written == 0)
                fail(m_file, FileWriteStep::Write, errnoError(EIO));
            bytes += written;
            size -= static_cast<std::size_t>(written);
        }
    }

    // Flushes the content to disk and closes the file; a failure that only shows at close (network
    // file systems) counts.
    void finish()
    {
        // Some file systems cannot sync at all: only real write errors count.
        if (::fsync(m_fd) != 0 && errno != EINVAL && errno != ENOTSUP)
            fail(m_file, FileWriteStep::Write, lastError());
        const int closed = ::close(m_fd);
        m_fd = -1;
        if (closed != 0 && errno != EINTR)
            fail(m_file, FileWriteStep::Write, lastError());
    }

    void replace(const fs::path& target, const Existing&)
    {
        if (::rename(m_path.c_str(), target.c_str()) != 0)
            fail(m_file, FileWriteStep::Replace, lastError());
        m_kept = true;
        // Makes the rename itself durable; a folder that cannot be synced is no failure, the new file is
        // complete either way.
        const int folder = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            ::fsync(folder);
            ::close(folder);
        }
    }

private:
    const fs::path& m_file;
    fs::path m_path;
    int m_fd = -1;
    bool m_kept = false;
};

#endif

// Gathers small writes into large ones. Its first failure sticks: later writes and finish() throw it
// again, so a producer that catches it cannot make a partial file count as written.
class BufferedSink : public FileSink
{
public:
    explicit BufferedSink(TemporaryFile& file)
        : m_file(file)
    {
        m_buffer.reserve(SinkCapacity);
    }

    void write(const void* data, std::size_t size) override
    {
        if (m_failure)
            std::rethrow_exception(m_failure);
        const auto* bytes = static_cast<const char*>(data);
        if (m_buffer.size() + size > SinkCapacity) {
            flush();
            if (size >= SinkCapacity) {
                writeThrough(bytes, size);
                return;
            }
        }
        m_buffer.insert(m_buffer.end(), bytes, bytes + size);
    }

    void finish()
    {
        if (m_failure)
            std::rethrow_exception(m_failure);
        flush();
    }

private:
    void flush()
    {
        writeThrough(m_buffer.data(), m_buffer.size());
        m_buffer.clear();
    }

    void writeThrough(const char* bytes, std::size_t size)
    {
        try {
            m_file.write(bytes, size);
        } catch (const FileWriteError&) {
            m_failure = std::current_exception();
            throw;
        }
    }

    TemporaryFile& m_file;
    std::vector<char> m_buffer;
    std::exception_ptr m_failure;
};

} // namespace

void writeFileAtomically(const fs::path& file, const std::function<void(FileSink&)>& produce)
{
    const fs::path target = replacedFile(file);
    const Existing existing = inspect(target, file);
    TemporaryFile temporary(target, file);
    temporary.adopt(existing);
    BufferedSink sink(temporary);
    produce(sink);
    sink.finish();
    temporary.finish();
    temporary.replace(target, existing);
}

void writeFileAtomically(const fs::path& file, std::string_view bytes)
{
    writeFileAtomically(file, [bytes](FileSink& sink) { sink.write(bytes.data(), bytes.size()); });
}

} // namespace platform
