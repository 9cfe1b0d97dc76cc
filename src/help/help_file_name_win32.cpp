#include "help/help_file_name.h"

namespace help {

bool hasDirectoryPart(std::string_view name)
{
    return name.find_first_of("\\:") != std::string_view::npos;
}

std::filesystem::path localHelpFilePath(std::string_view file)
{
    return std::filesystem::u8path(file);
}

} // namespace help
