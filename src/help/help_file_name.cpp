#include "help/help_file_name.h"

#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace help {

bool isCompiledHelpName(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    constexpr std::string_view extension = ".chm";
    const std::string_view tail = name.substr(dot);
    if (tail.size() != extension.size())
        return false;
    return platform::equalsAsciiNoCase(tail, extension);
}

std::string resolveHelpFile(std::string_view name, std::string_view programDirectory)
{
    if (name.empty() || hasDirectoryPart(name))
        return std::string(name);
    std::string resolved(programDirectory);
    resolved += name;
    return resolved;
}

std::optional<std::string> ansiHelpFile(std::string_view file, int codePage)
{
    // Whatever the conversion cannot hold comes back as another text ("?", or nothing at all).
    std::string ansi = platform::fromUtf8(file, codePage);
    if (platform::toUtf8(ansi, codePage) != file)
        return std::nullopt;
    return ansi;
}

} // namespace help
