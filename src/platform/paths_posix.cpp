// Paths on POSIX systems: the program's folder from /proc/self/exe, drive letters mapped to folders,
// file names matched without regard to case by reading the folder.

#include "platform/paths.h"
#include "platform/paths_system.h"
#include "platform/text.h"

#include <cstdlib>
#include <system_error>

namespace platform {

namespace fs = std::filesystem;

namespace {

} // namespace

namespace detail {

std::string executableDirectory()
{
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return "./";
    std::string text = exe.parent_path().string();
    if (text.empty() || text.back() != '/')
        text += '/';
    return text;
}

} // namespace detail

fs::path mapDirectory(std::string_view directoryText)
{
    std::string text(directoryText);
    for (char& c : text) {
        if (c == '\\')
            c = '/';
    }
    bool hasDrive = text.size() >= 2 && text[1] == ':'
        && ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'));
    if (!hasDrive)
        return fs::path(text);
    char upper = asciiUpper(text[0]);
    char lower = asciiLower(text[0]);
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
}

std::optional<fs::path> findFileNoCase(const fs::path& directory, std::string_view fileName)
{
    std::error_code ec;
    fs::path exact = joinPath(directory, fileName);
    if (fs::exists(exact, ec))
        return exact;
    std::optional<fs::path> found;
    for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (equalsAsciiNoCase(name, fileName)) {
            // Several spellings: take the first in name order so the choice does not depend on the directory's order.
            if (!found || it->path() < *found)
                found = it->path();
        }
    }
    return found;
}

} // namespace platform
