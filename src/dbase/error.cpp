#include "dbase/error.h"

#include <utility>

namespace dbase {

namespace {

std::string joinEntries(const std::vector<ErrorEntry>& entries)
{
    std::string text;
    auto add = [&text](const std::string& part) {
        if (part.empty())
            return;
        if (!text.empty())
            text += "\r\n";
        text += part;
    };
    for (const ErrorEntry& entry : entries) {
        add(entry.message);
        add(entry.context);
    }
    return text;
}

} // namespace

Error::Error(std::uint16_t code, std::vector<ErrorEntry> entries)
    : std::runtime_error(joinEntries(entries))
    , m_code(code)
    , m_entries(std::move(entries))
{
}

Error::Error(std::uint16_t code, std::string message, std::string context)
    : Error(code, std::vector<ErrorEntry> {ErrorEntry {std::move(message), std::move(context)}})
{
}

} // namespace dbase
