#include "platform/paths.h"

#include <cstdlib>
#include <mutex>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace platform {

namespace fs = std::filesystem;

namespace {

std::mutex overrideMutex;
std::string directoryOverride;

char asciiLowerChar(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameNameIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLowerChar(a[i]) != asciiLowerChar(b[i]))
            return false;
    }
    return true;
}

} // namespace

std::string programDirectory()
{
    {
        std::lock_guard lock(overrideMutex);
        if (!directoryOverride.empty())
            return directoryOverride;
    }
#ifdef _WIN32
    wchar_t buffer[32768];
    DWORD length = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
    std::wstring path(buffer, length);
    std::size_t cut = path.find_last_of(L"\\:");
    std::wstring dir = cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
    return pathText(fs::path(dir));
#else
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return "./";
    std::string text = exe.parent_path().string();
    if (text.empty() || text.back() != '/')
        text += '/';
    return text;
#endif
}

void setProgramDirectoryOverride(const std::string& directory)
{
    std::lock_guard lock(overrideMutex);
    directoryOverride = directory;
    if (!directoryOverride.empty() && directoryOverride.back() != '/' && directoryOverride.back() != '\\')
        directoryOverride += static_cast<char>(fs::path::preferred_separator);
}

fs::path mapDirectory(std::string_view directoryText)
{
#ifdef _WIN32
    return fs::u8path(directoryText);
#else
    std::string text(directoryText);
    for (char& c : text) {
        if (c == '\\')
            c = '/';
    }
    bool hasDrive = text.size() >= 2 && text[1] == ':'
        && ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'));
    if (!hasDrive)
        return fs::path(text);
    char upper = (text[0] >= 'a') ? static_cast<char>(text[0] - 'a' + 'A') : text[0];
    char lower = asciiLowerChar(text[0]);
    std::string rest = text.substr(2);
    fs::path root;
    std::string variable = std::string("EDUCA_DRIVE_") + upper;
    if (const char* mapped = std::getenv(variable.c_str()); mapped && *mapped) {
        root = mapped;
    } else {
        std::string prefix;
        if (const char* wine = std::getenv("WINEPREFIX"); wine && *wine) {
            prefix = wine;
        } else {
            const char* home = std::getenv("HOME");
            prefix = std::string(home ? home : "") + "/.wine";
        }
        root = fs::path(prefix) / "dosdevices" / (std::string(1, lower) + ":");
    }
    while (!rest.empty() && rest.front() == '/')
        rest.erase(rest.begin());
    return rest.empty() ? root : root / rest;
#endif
}

fs::path joinPath(const fs::path& directory, std::string_view fileName)
{
#ifdef _WIN32
    return directory / fs::u8path(fileName);
#else
    return directory / fs::path(std::string(fileName));
#endif
}

std::optional<fs::path> findFileNoCase(const fs::path& directory, std::string_view fileName)
{
    std::error_code ec;
    fs::path exact = joinPath(directory, fileName);
    if (fs::exists(exact, ec))
        return exact;
#ifdef _WIN32
    return std::nullopt; // the file system ignores case already
#else
    std::optional<fs::path> found;
    for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (sameNameIgnoringAsciiCase(name, fileName)) {
            // Several spellings: take the first in name order so the choice does not depend on the directory's order.
            if (!found || it->path() < *found)
                found = it->path();
        }
    }
    return found;
#endif
}

std::string pathText(const fs::path& path)
{
#ifdef _WIN32
    auto u8 = path.u8string();
    return std::string(u8.begin(), u8.end());
#else
    return path.string();
#endif
}

} // namespace platform
