#include "platform/paths.h"

#include "platform/paths_system.h"

#include <mutex>

namespace platform {

namespace fs = std::filesystem;

namespace {

std::mutex overrideMutex;
std::string directoryOverride;

} // namespace

std::string programDirectory()
{
    {
        std::lock_guard lock(overrideMutex);
        if (!directoryOverride.empty())
            return directoryOverride;
    }
    return detail::executableDirectory();
}

void setProgramDirectoryOverride(const std::string& directory)
{
    std::lock_guard lock(overrideMutex);
    directoryOverride = directory;
    if (!directoryOverride.empty() && directoryOverride.back() != '/' && directoryOverride.back() != '\\')
        directoryOverride += static_cast<char>(fs::path::preferred_separator);
}

fs::path pathFromUtf8(std::string_view text)
{
    return fs::path(std::u8string(text.begin(), text.end()));
}

fs::path joinPath(const fs::path& directory, std::string_view fileName)
{
    return directory / pathFromUtf8(fileName);
}

std::string pathText(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace platform
