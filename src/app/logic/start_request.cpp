#include "app/logic/start_request.h"

#include "platform/text.h"
#include "platform/user_error.h"
#include "timetable/messages.h"

#include <fmt/format.h>

namespace app::logic {

namespace {

constexpr std::string_view ExportCommandWord = "importar";
constexpr int MaxSignificantDigits = 8;

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

std::optional<std::uint32_t> parseHostHandle(std::string_view digits)
{
    if (digits.empty())
        return std::nullopt;
    std::uint32_t value = 0;
    int significant = 0;
    for (const char c : digits) {
        const int digit = hexDigitValue(c);
        if (digit < 0)
            return std::nullopt;
        if (significant > 0 || digit != 0) {
            if (++significant > MaxSignificantDigits)
                return std::nullopt;
        }
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    return value;
}

std::string handleFailureText(std::string_view digits)
{
    return fmt::format(fmt::runtime(timetable::messages::NotAnInteger), fmt::format("${}", digits));
}

std::uint32_t StartRequest::requireHostHandle() const
{
    if (!hostHandle)
        throw platform::UserError(handleFailure);
    return *hostHandle;
}

StartRequest makeStartRequest(const std::vector<std::string>& arguments)
{
    StartRequest request;
    request.argumentCount = static_cast<int>(arguments.size());
    if (request.argumentCount != HostArgumentCount)
        return request;

    request.mode = RunMode::Host;
    request.commandWord = arguments[0];
    request.startsExport = platform::asciiLower(arguments[0]) == ExportCommandWord;
    request.hostHandle = parseHostHandle(arguments[1]);
    if (!request.hostHandle)
        request.handleFailure = handleFailureText(arguments[1]);
    return request;
}

} // namespace app::logic
