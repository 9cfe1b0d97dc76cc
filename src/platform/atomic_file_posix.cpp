// The atomic writer on POSIX systems: open(O_EXCL), fsync, rename, and fsync of the folder.

#include "platform/atomic_file_system.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace fs = std::filesystem;

bool isFileInUse(const std::error_code& error)
{
    return error == std::error_code(ETXTBSY, std::generic_category());
}

namespace detail {

namespace {

// Tries for a temporary name that nobody else holds before giving up.
constexpr int TemporaryNameAttempts = 100;
// Links followed before the chain counts as a loop (the Linux kernel's own limit).
constexpr int MaxLinkHops = 40;

std::error_code errnoError(int number)
{
    return {number, std::generic_category()};
}

std::error_code lastError()
{
    return errnoError(errno);
}

fs::path folderOf(const fs::path& file)
{
    fs::path folder = file.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// The file that a symbolic link names, through any chain of links, even when that file does not exist
// yet; any other path as it is. A chain longer than the system allows fails as a loop.
fs::path replacedFile(const fs::path& file)
{
    fs::path current = file;
    for (int hop = 0; hop <= MaxLinkHops; ++hop) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(current, ec)))
            return current;
        const fs::path next = fs::read_symlink(current, ec);
        if (ec)
            fail(file, FileWriteStep::Write, ec);
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    fail(file, FileWriteStep::Write, errnoError(ELOOP));
}

} // namespace

std::string systemText(const std::error_code& error)
{
    return error.message();
}

struct TemporaryFile::State
{
    fs::path file; // as the caller named it
    fs::path target; // the file replaced: links followed
    fs::path path; // the temporary file
    int fd = -1;
    bool kept = false;
    // What is known of an existing target.
    bool exists = false;
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;

    void inspect()
    {
        using FileStatus = struct stat;
        FileStatus status {};
        if (::stat(target.c_str(), &status) != 0) {
            // A missing folder shows when the temporary file is created in it.
            if (errno == ENOENT)
                return;
            fail(file, FileWriteStep::Write, lastError());
        }
        if (S_ISDIR(status.st_mode))
            fail(file, FileWriteStep::Write, errnoError(EISDIR));
        // Renaming over a FIFO or a device would silently take it away instead of writing to it.
        if (!S_ISREG(status.st_mode))
            fail(file, FileWriteStep::Write, errnoError(ENOTSUP));
        // A file without any write bit counts as read-only even for a privileged process, as a file
        // marked read-only does on Windows, where it cannot be replaced either.
        if ((status.st_mode & 0222) == 0)
            fail(file, FileWriteStep::Write, errnoError(EACCES));
        if (::access(target.c_str(), W_OK) != 0)
            fail(file, FileWriteStep::Write, lastError());
        exists = true;
        mode = status.st_mode;
        owner = status.st_uid;
        group = status.st_gid;
    }

    void create()
    {
        for (int attempt = 0; attempt < TemporaryNameAttempts && fd < 0; ++attempt) {
            fs::path candidate = temporaryPath(target);
            fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0)
                path = std::move(candidate);
            else if (errno != EEXIST)
                fail(file, FileWriteStep::Write, lastError());
        }
        if (fd < 0)
            fail(file, FileWriteStep::Write, errnoError(EEXIST));
    }

    // Gives the new file the old one's owner and permission bits before any content is in it.
    void adopt()
    {
        if (!exists)
            return;
        // The owner goes first, since a change of owner may clear set-id bits.
        if (::fchown(fd, owner, group) != 0) {
            // Only a privileged process may give the file to another owner; others keep it as theirs.
        }
        if (::fchmod(fd, mode & 07777) != 0)
            fail(file, FileWriteStep::Write, lastError());
    }
};

TemporaryFile::TemporaryFile(const fs::path& file)
    : m_state(std::make_unique<State>())
{
    m_state->file = file;
    m_state->target = replacedFile(file);
    m_state->inspect();
    m_state->create();
    m_state->adopt();
}

TemporaryFile::~TemporaryFile()
{
    if (m_state->fd >= 0)
        ::close(m_state->fd);
    if (!m_state->kept && !m_state->path.empty())
        ::unlink(m_state->path.c_str());
}

const fs::path& TemporaryFile::path() const
{
    return m_state->path;
}

void TemporaryFile::write(const char* bytes, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(m_state->fd, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            fail(m_state->file, FileWriteStep::Write, lastError());
        if (written == 0)
            fail(m_state->file, FileWriteStep::Write, errnoError(EIO));
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

// A failure that only shows at close (network file systems) counts.
void TemporaryFile::finish()
{
    // Some file systems cannot sync at all: only real write errors count.
    if (::fsync(m_state->fd) != 0 && errno != EINVAL && errno != ENOTSUP)
        fail(m_state->file, FileWriteStep::Write, lastError());
    const int closed = ::close(m_state->fd);
    m_state->fd = -1;
    if (closed != 0 && errno != EINTR)
        fail(m_state->file, FileWriteStep::Write, lastError());
}

void TemporaryFile::replace()
{
    if (::rename(m_state->path.c_str(), m_state->target.c_str()) != 0)
        fail(m_state->file, FileWriteStep::Replace, lastError());
    m_state->kept = true;
    // Makes the rename itself durable; a folder that cannot be synced is no failure, the new file is
    // complete either way.
    const int folder = ::open(folderOf(m_state->target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

unsigned long processId()
{
    return static_cast<unsigned long>(::getpid());
}

} // namespace detail

} // namespace platform
