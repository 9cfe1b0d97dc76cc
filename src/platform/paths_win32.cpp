// Paths on Windows: the program's folder from GetModuleFileNameW; directory texts such as c:\mtemp are
// real folders; the file system itself ignores the case of names.

#include "platform/paths.h"
#include "platform/paths_system.h"
#include "platform/wide_text.h"

#include <system_error>
#include <windows.h>

namespace platform {

namespace fs = std::filesystem;

namespace detail {

// The path up to and including its last "\" or ":".
std::string executableDirectory()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return ".\\";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2); // cut short: try again with room for more
    }
    const std::size_t cut = path.find_last_of(L"\\:");
    return narrow(cut == std::wstring::npos ? std::wstring_view() : std::wstring_view(path).substr(0, cut + 1));
}

} // namespace detail

fs::path mapDirectory(std::string_view directoryText)
{
    return pathFromUtf8(directoryText);
}

std::optional<fs::path> findFileNoCase(const fs::path& directory, std::string_view fileName)
{
    std::error_code ec;
    fs::path path = joinPath(directory, fileName);
    if (fs::exists(path, ec))
        return path;
    return std::nullopt;
}

} // namespace platform
