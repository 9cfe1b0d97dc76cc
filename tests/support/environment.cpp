#include "support/environment.h"

#include <cstdlib>
#include <stdexcept>

namespace support {

void setEnvironment(const std::string& name, const std::string& value)
{
#ifdef _WIN32
    // An empty value would remove the variable on Windows.
    if (value.empty())
        throw std::invalid_argument("Windows cannot hold an empty environment variable: " + name);
    const bool done = ::_putenv_s(name.c_str(), value.c_str()) == 0;
#else
    const bool done = ::setenv(name.c_str(), value.c_str(), 1) == 0;
#endif
    if (!done)
        throw std::runtime_error("cannot set the environment variable " + name);
}

void unsetEnvironment(const std::string& name)
{
#ifdef _WIN32
    const bool done = ::_putenv_s(name.c_str(), "") == 0;
#else
    const bool done = ::unsetenv(name.c_str()) == 0;
#endif
    if (!done)
        throw std::runtime_error("cannot remove the environment variable " + name);
}

std::optional<std::string> environment(const std::string& name)
{
    const char* value = std::getenv(name.c_str());
    if (value == nullptr)
        return std::nullopt;
    return std::string(value);
}

ScopedEnvironment::ScopedEnvironment(std::string name, std::optional<std::string> value)
    : m_name(std::move(name))
    , m_old(environment(m_name))
{
    if (value)
        setEnvironment(m_name, *value);
    else
        unsetEnvironment(m_name);
}

ScopedEnvironment::~ScopedEnvironment()
{
    try {
        if (m_old)
            setEnvironment(m_name, *m_old);
        else
            unsetEnvironment(m_name);
    } catch (const std::exception&) {
        // A destructor cannot report it; the next test that needs the variable sets it itself.
    }
}

} // namespace support
