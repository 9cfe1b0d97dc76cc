#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// A failure whose message is the final text the user sees (Spanish, UTF-8).
// The application's event boundary shows it in the error box; nothing below it catches it.
class UserError : public std::runtime_error
{
public:
    explicit UserError(const std::string& text)
        : std::runtime_error(text)
    {
    }
};

// A failure that ends an operation without telling the user anything.
class SilentAbort : public std::exception
{
public:
    const char* what() const noexcept override { return ""; }
};

} // namespace platform
