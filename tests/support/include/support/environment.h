#pragma once

#include <optional>
#include <string>

// Environment variables in tests, the same way on POSIX systems and Windows.
namespace support {

// Sets a variable for this process and the programs it starts.
void setEnvironment(const std::string& name, const std::string& value);

// Removes a variable; removing a missing one is no failure.
void unsetEnvironment(const std::string& name);

// The variable's value; nothing when it is not set.
std::optional<std::string> environment(const std::string& name);

// Sets (or, with nothing, removes) a variable while the object lives, then puts back what was there.
class ScopedEnvironment
{
public:
    ScopedEnvironment(std::string name, std::optional<std::string> value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

} // namespace support
