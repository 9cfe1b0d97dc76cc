// The atomic writer on Windows: CreateFileW(CREATE_NEW), FlushFileBuffers, then ReplaceFileW, or
// MoveFileExW when there is nothing to replace. Every path handed to the system is a full path in
// Windows form: ReplaceFileW refuses relative paths and paths written with "/" under Wine.

#include "platform/atomic_file_system.h"
#include "platform/wide_text.h"

#include <algorithm>
#include <windows.h>

namespace platform {

namespace fs = std::filesystem;

bool isFileInUse(const std::error_code& error)
{
    if (error.category() != std::system_category())
        return false;
    switch (error.value()) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
    case ERROR_UNABLE_TO_REMOVE_REPLACED: // the file to be replaced could not be removed
        return true;
    default:
        return false;
    }
}

namespace detail {

namespace {

constexpr int TemporaryNameAttempts = 100;

std::error_code windowsError(DWORD code)
{
    return {static_cast<int>(code), std::system_category()};
}

std::error_code lastError()
{
    return windowsError(GetLastError());
}

// The full path in Windows form ("C:\dir\file", backslashes, no "." or ".." parts).
fs::path fullPath(const fs::path& path, const fs::path& file)
{
    const std::wstring& given = path.native();
    DWORD size = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        fail(file, FileWriteStep::Write, lastError());
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(given.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        fail(file, FileWriteStep::Write, lastError());
    full.resize(length);
    return fs::path(full);
}

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

} // namespace

std::string systemText(const std::error_code& error)
{
    if (error.category() != std::system_category())
        return error.message();
    wchar_t* buffer = nullptr;
    const DWORD length
        = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, static_cast<DWORD>(error.value()), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text = length > 0 && buffer != nullptr ? narrow(std::wstring_view(buffer, length)) : std::string();
    LocalFree(buffer);
    return text;
}

struct TemporaryFile::State
{
    fs::path file; // as the caller named it
    fs::path target; // the file replaced: links followed, full Windows form
    fs::path path; // the temporary file, full Windows form
    HANDLE handle = INVALID_HANDLE_VALUE;
    bool exists = false;
    bool kept = false;

    void inspect()
    {
        const DWORD attributes = GetFileAttributesW(target.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            const DWORD error = GetLastError();
            // A missing folder shows when the temporary file is created in it.
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                return;
            fail(file, FileWriteStep::Write, windowsError(error));
        }
        // A folder is refused as opening it for writing would be (access denied).
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_READONLY))
            fail(file, FileWriteStep::Write, windowsError(ERROR_ACCESS_DENIED));
        if (attributes & FILE_ATTRIBUTE_DEVICE)
            fail(file, FileWriteStep::Write, windowsError(ERROR_NOT_SUPPORTED));
        exists = true;
    }

    // One try at putting the temporary file in the target's place; the system's error when it fails.
    std::error_code replaceOnce()
    {
        // Asks first whether the old file may be removed: Wine's ReplaceFileW leaves a file of its own
        // ("rf….tmp") behind when it finds the old file held open.
        if (exists) {
            const HANDLE probe
                = CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (probe == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_NOT_FOUND)
                return lastError();
            if (probe != INVALID_HANDLE_VALUE)
                CloseHandle(probe);
            if (ReplaceFileW(
                    target.c_str(), path.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
                kept = true;
                return {};
            }
        }
        const DWORD error = exists ? GetLastError() : DWORD(ERROR_FILE_NOT_FOUND);
        // Two failures of ReplaceFileW come after the old file has left its name: without a backup
        // name, ERROR_UNABLE_TO_MOVE_REPLACEMENT means the old file is gone, and
        // ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 that it lies under another name. The new content is then
        // the only copy under a known name.
        const bool oldFileLeft
            = error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;
        if (error != ERROR_FILE_NOT_FOUND && !oldFileLeft)
            return windowsError(error);
        if (MoveFileExW(path.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            kept = true;
            return {};
        }
        const std::error_code moveError = lastError();
        // Nothing may delete the only copy left: the temporary file stays beside the target.
        if (oldFileLeft)
            kept = true;
        return moveError;
    }

    void create()
    {
        for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
            fs::path candidate = temporaryPath(target);
            handle
                = CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (handle != INVALID_HANDLE_VALUE) {
                path = std::move(candidate);
                return;
            }
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
                fail(file, FileWriteStep::Write, windowsError(error));
        }
        fail(file, FileWriteStep::Write, windowsError(ERROR_FILE_EXISTS));
    }
};

TemporaryFile::TemporaryFile(const fs::path& file)
    : m_state(std::make_unique<State>())
{
    m_state->file = file;
    m_state->target = fullPath(replacedFile(file), file);
    m_state->inspect();
    m_state->create();
}

TemporaryFile::~TemporaryFile()
{
    if (m_state->handle != INVALID_HANDLE_VALUE)
        CloseHandle(m_state->handle);
    if (!m_state->kept && !m_state->path.empty())
        DeleteFileW(m_state->path.c_str());
}

const fs::path& TemporaryFile::path() const
{
    return m_state->path;
}

void TemporaryFile::write(const char* bytes, std::size_t size)
{
    while (size > 0) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(m_state->handle, bytes, piece, &written, nullptr))
            fail(m_state->file, FileWriteStep::Write, lastError());
        if (written == 0)
            fail(m_state->file, FileWriteStep::Write, windowsError(ERROR_WRITE_FAULT));
        bytes += written;
        size -= written;
    }
}

void TemporaryFile::finish()
{
    if (!FlushFileBuffers(m_state->handle))
        fail(m_state->file, FileWriteStep::Write, lastError());
    const BOOL closed = CloseHandle(m_state->handle);
    m_state->handle = INVALID_HANDLE_VALUE;
    if (!closed)
        fail(m_state->file, FileWriteStep::Write, lastError());
}

// ReplaceFileW keeps the old file's attributes and security settings; a missing target is a plain move
// instead (also when the target went away in between). A target that another program holds open
// cannot be replaced: ReplaceFileW then leaves both files under their names, and the old one stays.
// Every step that another program's handle refuses, on the old file or on the new one, is tried again
// for about a second before it counts.
void TemporaryFile::replace()
{
    State& s = *m_state;
    const std::error_code error = retryWhileInUse([&s] { return s.replaceOnce(); }, [] { Sleep(InUsePauseMs); });
    if (error)
        fail(s.file, FileWriteStep::Replace, error);
}

unsigned long processId()
{
    return GetCurrentProcessId();
}

} // namespace detail

} // namespace platform
