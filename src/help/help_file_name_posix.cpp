#include "help/help_file_name.h"
#include "platform/paths.h"

namespace help {

bool hasDirectoryPart(std::string_view name)
{
    return name.find_first_of("\\:/") != std::string_view::npos;
}

std::filesystem::path localHelpFilePath(std::string_view file)
{
    std::filesystem::path path = platform::mapDirectory(file);
    const std::string fileName = path.filename().string();
    if (fileName.empty())
        return path;
    std::filesystem::path directory = path.parent_path();
    if (directory.empty())
        directory = ".";
    if (auto found = platform::findFileNoCase(directory, fileName))
        return *found;
    return path;
}

} // namespace help
