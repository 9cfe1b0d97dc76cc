// An ini file on Windows is read with CreateFileW and edited by the system's own profile functions.

#include "platform/atomic_file_system.h"
#include "platform/ini_file_system.h"
#include "platform/wide_text.h"

#include <utility>
#include <windows.h>

namespace platform::detail {

namespace {

class Handle
{
public:
    explicit Handle(HANDLE handle)
        : m_handle(handle)
    {
    }
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    bool close()
    {
        if (!valid())
            return true;
        const bool closed = CloseHandle(m_handle) != 0;
        m_handle = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE m_handle;
};

// Writes the key with the system's profile function, then flushes the system's copy of the file (the
// call with no section, key and value, whose answer says nothing), so that the file holds the key
// when this returns.
bool writeWithSystem(
    const std::filesystem::path& path, std::string_view section, std::string_view key, std::string_view value)
{
    const std::wstring name = path.native();
    const bool written
        = WritePrivateProfileStringW(widen(section).c_str(), widen(key).c_str(), widen(value).c_str(), name.c_str())
        != 0;
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, name.c_str());
    return written;
}

// Whether the file still reads as `old` (nothing: still missing).
bool unchanged(const std::filesystem::path& file, const std::optional<std::string>& old)
{
    const IniFileBytes now = readIniFileBytes(file);
    return now.readable && now.exists == old.has_value() && (!old || now.content == *old);
}

} // namespace

IniFileBytes readIniFileBytes(const std::filesystem::path& file)
{
    Handle handle(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.valid()) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return {false, true, {}};
        return {true, false, {}};
    }
    std::string content;
    char buffer[4096];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(handle.get(), buffer, sizeof buffer, &got, nullptr))
            return {true, false, {}};
        if (got == 0)
            break;
        content.append(buffer, got);
    }
    return {true, true, std::move(content)};
}

bool setProfileKey(const std::filesystem::path& file, const std::optional<std::string>& old, std::string_view section,
    std::string_view key, std::string_view value)
{
    try {
        TemporaryFile copy(file);
        if (old)
            copy.write(old->data(), old->size());
        copy.finish();
        if (writeWithSystem(copy.path(), section, key, value)) {
            copy.replace();
            return true;
        }
    } catch (const FileWriteError&) {
        // The copy could not be made or could not take the old file's place: see below.
    }
    // Where a copy cannot be made or cannot replace the old file (a folder where this user may edit
    // files but not create them, a folder the system redirects per user, a program that holds the file
    // open for reading and writing), the system writes the key in the file itself, as long as the old
    // file is still as it was. A read-only file stays refused, as the copy refused it.
    if (!unchanged(file, old))
        return false;
    const std::filesystem::path full = std::filesystem::absolute(file).make_preferred();
    const DWORD attributes = GetFileAttributesW(full.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;
    return writeWithSystem(full, section, key, value);
}

} // namespace platform::detail
