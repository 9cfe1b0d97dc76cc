#include "platform/atomic_file.h"
#include "platform/ini_file.h"
#include "platform/ini_file_system.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform::detail {

namespace {

class Descriptor
{
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor() { close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    bool close()
    {
        if (m_fd < 0)
            return true;
        const bool closed = ::close(m_fd) == 0;
        m_fd = -1;
        return closed;
    }

private:
    int m_fd;
};

} // namespace

IniFileBytes readIniFileBytes(const std::filesystem::path& file)
{
    // Non-blocking, so that a FIFO in the file's place cannot hang the program; it fails below.
    Descriptor fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {false, true, {}};
        return {true, false, {}};
    }
    using FileStatus = struct stat;
    FileStatus info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return {true, false, {}};
    std::string content;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return {true, false, {}};
        if (got == 0)
            break;
        content.append(buffer, static_cast<std::size_t>(got));
    }
    return {true, true, std::move(content)};
}

bool setProfileKey(const std::filesystem::path& file, const std::optional<std::string>& old, std::string_view section,
    std::string_view key, std::string_view value)
{
    try {
        writeFileAtomically(file, withProfileString(old.value_or(std::string()), section, key, value));
        return true;
    } catch (const UnsupportedProfileText&) {
        return false;
    } catch (const FileWriteError&) {
        return false;
    }
}

} // namespace platform::detail
