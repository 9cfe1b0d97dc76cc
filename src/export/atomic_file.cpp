#include "export/atomic_file.h"

#include "export/failure_text.h"
#include "export/messages.h"
#include "platform/paths.h"
#include "platform/user_error.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <fmt/format.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace exporter {

namespace {

[[noreturn]] void fail(const char* format, const std::filesystem::path& target, int errorNumber)
{
    const auto reason = documentFailureText({}, systemErrorText(errorNumber), failureCodeForErrno(errorNumber));
    throw platform::UserError(fmt::format(fmt::runtime(format), platform::pathText(target), reason));
}

// Follows a symbolic link so that the file it names is replaced rather than the link itself.
std::filesystem::path resolveTarget(const std::filesystem::path& target)
{
    std::error_code ec;
    if (!std::filesystem::is_symlink(target, ec))
        return target;
    auto resolved = std::filesystem::canonical(target, ec);
    return ec ? target : resolved;
}

class TemporaryFile
{
public:
    TemporaryFile(const std::filesystem::path& folder, const std::filesystem::path& target)
    {
        static std::atomic<unsigned> counter {0};
        const auto base = "." + target.filename().string() + ".tmp";
        for (int attempt = 0; attempt < 100; ++attempt) {
            auto candidate = folder / fmt::format("{}{}-{}", base, static_cast<long>(::getpid()), counter++);
            const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                m_fd = fd;
                m_path = std::move(candidate);
                return;
            }
            if (errno != EEXIST)
                fail(messages::CannotWriteFile, target, errno);
        }
        fail(messages::CannotWriteFile, target, EEXIST);
    }

    ~TemporaryFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_committed)
            ::unlink(m_path.c_str());
    }

    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return m_fd; }
    const std::filesystem::path& path() const { return m_path; }

    // Closes the descriptor, reporting a failure that only shows at close (network file systems).
    int close()
    {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result;
    }
    void commit() { m_committed = true; }

private:
    int m_fd = -1;
    std::filesystem::path m_path;
    bool m_committed = false;
};

class DescriptorSink : public FileSink
{
public:
    DescriptorSink(int fd, const std::filesystem::path& target)
        : m_fd(fd)
        , m_target(target)
    {
        m_buffer.reserve(Capacity);
    }

    void write(const void* data, std::size_t size) override
    {
        const auto* bytes = static_cast<const char*>(data);
        if (m_buffer.size() + size > Capacity) {
            flush();
            if (size >= Capacity) {
                writeAll(bytes, size);
                return;
            }
        }
        m_buffer.insert(m_buffer.end(), bytes, bytes + size);
    }

    void flush()
    {
        writeAll(m_buffer.data(), m_buffer.size());
        m_buffer.clear();
    }

private:
    static constexpr std::size_t Capacity = 1 << 16;

    void writeAll(const char* bytes, std::size_t size)
    {
        while (size > 0) {
            const auto written = ::write(m_fd, bytes, size);
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                fail(messages::CannotWriteFile, m_target, errno);
            }
            bytes += written;
            size -= static_cast<std::size_t>(written);
        }
    }

    int m_fd;
    const std::filesystem::path& m_target;
    std::vector<char> m_buffer;
};

// Makes the rename itself durable; a file system that cannot sync a folder is not an error.
void syncFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

void writeFileAtomically(const std::filesystem::path& requestedTarget, const std::function<void(FileSink&)>& produce)
{
    const auto target = resolveTarget(requestedTarget);
    auto folder = target.parent_path();
    if (folder.empty())
        folder = ".";

    struct stat existing
    {
    };
    const bool targetExists = ::stat(target.c_str(), &existing) == 0;
    if (targetExists && S_ISDIR(existing.st_mode))
        fail(messages::CannotWriteFile, requestedTarget, EISDIR);

    TemporaryFile temporary(folder, requestedTarget);
    if (targetExists && S_ISREG(existing.st_mode))
        ::fchmod(temporary.fd(), existing.st_mode & 07777);

    DescriptorSink sink(temporary.fd(), requestedTarget);
    produce(sink);
    sink.flush();

    // Some file systems (pipes, certain network mounts) cannot sync: only real write errors count.
    if (::fsync(temporary.fd()) != 0 && errno != EINVAL && errno != ENOTSUP)
        fail(messages::CannotWriteFile, requestedTarget, errno);
    if (temporary.close() != 0 && errno != EINTR)
        fail(messages::CannotWriteFile, requestedTarget, errno);

    if (::rename(temporary.path().c_str(), target.c_str()) != 0)
        fail(messages::CannotReplaceFile, requestedTarget, errno);
    temporary.commit();
    syncFolder(folder);
}

void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes)
{
    writeFileAtomically(target, [bytes](FileSink& sink) { sink.write(bytes.data(), bytes.size()); });
}

} // namespace exporter
