// An ini file on Windows is read with CreateFileW and edited by the system's own profile functions,
// whose result is checked through the system's own reader.

#include "platform/atomic_file_system.h"
#include "platform/ini_file.h"
#include "platform/ini_file_system.h"
#include "platform/wide_text.h"

#include <functional>
#include <set>
#include <utility>
#include <vector>
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
// call with no section, key and value, whose answer says nothing). The system's answer does not tell
// whether the file is whole: it goes on after a write that failed (a full disk), see readsAsExpected.
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

// Puts what the system wrote into a file on the disk.
bool flushToDisk(const std::filesystem::path& path)
{
    Handle handle(CreateFileW(
        path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return handle.valid() && FlushFileBuffers(handle.get()) && handle.close();
}

// A text the system's reader gives for a name list or a key: its result grows until it fits.
std::wstring systemText(const std::function<DWORD(wchar_t*, DWORD)>& read, DWORD slack)
{
    for (DWORD size = 1 << 12;; size *= 2) {
        std::wstring text(size, L'\0');
        const DWORD length = read(text.data(), size);
        if (length + slack < size || size >= (1u << 24)) {
            text.resize(length);
            return text;
        }
    }
}

// A file as the system's reader gives it: every section name, and each key of each section with its
// value, names in lower case (the reader matches them so). Keys of `skip` in `skipSection` are left out.
std::set<std::wstring> systemReading(
    const std::filesystem::path& file, const std::wstring& skipSection = {}, const std::wstring& skip = {})
{
    const wchar_t* path = file.c_str();
    const auto lower = [](std::wstring text) {
        CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
        return text;
    };
    const auto list = [](const std::wstring& names) {
        std::vector<std::wstring> items;
        for (std::size_t at = 0; at < names.size() && names[at] != L'\0'; at = names.find(L'\0', at) + 1)
            items.push_back(names.substr(at, names.find(L'\0', at) - at));
        return items;
    };
    std::set<std::wstring> reading;
    const std::wstring sections
        = systemText([path](wchar_t* text, DWORD size) { return GetPrivateProfileSectionNamesW(text, size, path); }, 2);
    for (const std::wstring& section : list(sections)) {
        reading.insert(L"[" + lower(section) + L"]");
        const std::wstring keys = systemText(
            [&](wchar_t* text, DWORD size) {
                return GetPrivateProfileStringW(section.c_str(), nullptr, L"", text, size, path);
            },
            2);
        for (const std::wstring& key : list(keys)) {
            if (lower(section) == skipSection && lower(key) == skip)
                continue;
            const std::wstring value = systemText(
                [&](wchar_t* text, DWORD size) {
                    return GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", text, size, path);
                },
                1);
            reading.insert(lower(section) + L"\n" + lower(key) + L"=" + value);
        }
    }
    return reading;
}

// Whether the file written reads as the old file did (oldReading, without the key) with the key set:
// the same sections and keys with the same values, the section there, and the key with the new value.
bool readsAsExpected(const std::filesystem::path& written, std::set<std::wstring> oldReading, std::string_view section,
    std::string_view key, std::string_view value)
{
    std::wstring wideSection = widen(section);
    std::wstring wideKey = widen(key);
    CharLowerBuffW(wideSection.data(), static_cast<DWORD>(wideSection.size()));
    CharLowerBuffW(wideKey.data(), static_cast<DWORD>(wideKey.size()));
    oldReading.insert(L"[" + wideSection + L"]");
    if (systemReading(written, wideSection, wideKey) != oldReading)
        return false;
    std::wstring read(static_cast<std::size_t>(value.size()) + 2, L'\0');
    const DWORD length = GetPrivateProfileStringW(widen(section).c_str(), widen(key).c_str(), L"\x1", read.data(),
        static_cast<DWORD>(read.size()), written.c_str());
    return read.substr(0, length) == widen(value);
}

// Whether the file still reads as `old` (nothing: still missing).
bool unchanged(const std::filesystem::path& file, const std::optional<std::string>& old)
{
    const IniFileBytes now = readIniFileBytes(file);
    return now.readable && now.exists == old.has_value() && (!old || now.content == *old);
}

// A failed step that a copy beside the file would meet but a write in the file itself would not: the
// folder refuses new files (a protected folder), or another program holds the file open without
// letting it be replaced.
bool refusedAsACopy(const FileWriteError& failure)
{
    const int code = failure.code().value();
    return failure.code().category() == std::system_category()
        && (code == ERROR_ACCESS_DENIED || (failure.step() == FileWriteStep::Replace && isFileInUse(failure.code())));
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
    const std::filesystem::path full = std::filesystem::absolute(file).make_preferred();
    std::wstring lowerSection = widen(section);
    std::wstring lowerKey = widen(key);
    CharLowerBuffW(lowerSection.data(), static_cast<DWORD>(lowerSection.size()));
    CharLowerBuffW(lowerKey.data(), static_cast<DWORD>(lowerKey.size()));
    const std::set<std::wstring> oldReading
        = old ? systemReading(full, lowerSection, lowerKey) : std::set<std::wstring> {};
    try {
        TemporaryFile copy(file);
        if (old)
            copy.write(old->data(), old->size());
        copy.finish();
        // The system writes the key into the copy; the copy takes the file's place only when it is on
        // the disk and reads as the old file with the key set. Otherwise (the system's rewrite lost or
        // changed other keys: a full disk, lines that its rewrite reads otherwise) the text of the
        // portable rules, which keeps every other byte, takes the file's place instead.
        if (writeWithSystem(copy.path(), section, key, value) && flushToDisk(copy.path())
            && readsAsExpected(copy.path(), oldReading, section, key, value)) {
            copy.replace();
            return true;
        }
    } catch (const FileWriteError& failure) {
        // Where no copy can be made or put in the file's place (a folder where this user may edit files
        // but not create them, a folder the system redirects per user, a program that holds the file
        // open for reading and writing), the system writes the key in the file itself, as long as the
        // file is still as it was; a read-only file stays refused, as the copy refused it. Any other
        // failure (a full disk) leaves the file as it was.
        if (!refusedAsACopy(failure) || !unchanged(file, old))
            return false;
        const DWORD attributes = GetFileAttributesW(full.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES
            && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
            return false;
        return writeWithSystem(full, section, key, value) && readsAsExpected(full, oldReading, section, key, value);
    }
    try {
        writeFileAtomically(file, withProfileString(old.value_or(std::string()), section, key, value));
        return true;
    } catch (const UnsupportedProfileText&) {
        return false;
    } catch (const FileWriteError&) {
        return false;
    }
}

} // namespace platform::detail
