#include "export/failure_text.h"

#include "export/messages.h"

#include <cstring>
#include <fmt/format.h>
#include <system_error>

namespace exporter {

std::string errorBoxText(std::string_view message)
{
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.'))
        text += '.';
    return text;
}

std::string trimFailureText(std::string_view text)
{
    std::size_t end = text.size();
    while (end > 0) {
        const auto c = static_cast<unsigned char>(text[end - 1]);
        if (c <= ' ' || c == 0x7F || c == '.')
            --end;
        else
            break;
    }
    return std::string(text.substr(0, end));
}

std::string documentFailureText(std::string_view description, std::string_view systemText, std::uint32_t failureCode)
{
    if (auto own = trimFailureText(description); !own.empty())
        return own;
    if (auto system = trimFailureText(systemText); !system.empty())
        return system;
    return fmt::format(fmt::runtime(messages::OleError), failureCode);
}

std::string systemErrorText(int errorNumber)
{
    if (errorNumber == 0)
        return {};
    return trimFailureText(std::generic_category().message(errorNumber));
}

std::uint32_t failureCodeForErrno(int errorNumber)
{
    if (errorNumber == 0)
        return 0x80004005u;
    return 0x80070000u | (static_cast<std::uint32_t>(errorNumber) & 0xFFFFu);
}

} // namespace exporter
