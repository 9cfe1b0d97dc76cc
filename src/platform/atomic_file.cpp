#include "platform/atomic_file.h"

#include "platform/atomic_file_system.h"
#include "platform/paths.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <type_traits>
#include <utility>
#include <vector>

namespace platform {

namespace fs = std::filesystem;

FileWriteError::FileWriteError(fs::path file, FileWriteStep step, std::error_code error, std::string systemText)
    : std::system_error(error, "cannot write " + pathText(file))
    , m_file(std::move(file))
    , m_step(step)
    , m_systemText(std::move(systemText))
{
}

namespace detail {

namespace {

// How much of the target's name goes into the temporary file's name, so that a target whose name is
// near the file system's limit still gets a temporary file.
constexpr std::size_t TemporaryBaseLength = 64;

// Where a name may be cut: not inside a UTF-8 sequence (POSIX names are bytes) nor between the two
// halves of a surrogate pair (Windows names are UTF-16).
std::size_t cutPoint(const fs::path::string_type& name, std::size_t length)
{
    using Unit = std::make_unsigned_t<fs::path::value_type>;
    const auto unit = [&name](std::size_t i) { return static_cast<std::uint32_t>(static_cast<Unit>(name[i])); };
    if constexpr (sizeof(Unit) == 1) {
        while (length > 0 && (unit(length) & 0xC0) == 0x80)
            --length;
    } else {
        if (unit(length - 1) >= 0xD800 && unit(length - 1) <= 0xDBFF)
            --length;
    }
    return length;
}

} // namespace

void fail(const fs::path& file, FileWriteStep step, std::error_code error)
{
    throw FileWriteError(file, step, error, systemText(error));
}

std::error_code retryWhileInUse(const std::function<std::error_code()>& attempt, const std::function<void()>& pause)
{
    std::error_code error = attempt();
    for (int tries = 1; error && isFileInUse(error) && tries < InUseAttempts; ++tries) {
        pause();
        error = attempt();
    }
    return error;
}

fs::path temporaryPath(const fs::path& target)
{
    static std::atomic<unsigned> counter {0};
    fs::path::string_type base = target.filename().native();
    if (base.size() > TemporaryBaseLength)
        base.resize(cutPoint(base, TemporaryBaseLength));
    const std::string suffix = "." + std::to_string(processId()) + "." + std::to_string(counter++) + ".tmp";
    fs::path::string_type name(1, fs::path::value_type('.'));
    name += base;
    name.append(suffix.begin(), suffix.end());
    fs::path folder = target.parent_path();
    return (folder.empty() ? fs::path(".") : folder) / fs::path(name);
}

} // namespace detail

namespace {

// Content is handed to the system in pieces of this size at the least.
constexpr std::size_t SinkCapacity = 1 << 16;

// Gathers small writes into large ones. Its first failure sticks: later writes and finish() throw it
// again, so a producer that catches it cannot make a partial file count as written.
class BufferedSink : public FileSink
{
public:
    explicit BufferedSink(detail::TemporaryFile& file)
        : m_file(file)
    {
        m_buffer.reserve(SinkCapacity);
    }

    void write(const void* data, std::size_t size) override
    {
        if (m_failure)
            std::rethrow_exception(m_failure);
        const auto* bytes = static_cast<const char*>(data);
        if (m_buffer.size() + size > SinkCapacity) {
            flush();
            if (size >= SinkCapacity) {
                writeThrough(bytes, size);
                return;
            }
        }
        m_buffer.insert(m_buffer.end(), bytes, bytes + size);
    }

    void finish()
    {
        if (m_failure)
            std::rethrow_exception(m_failure);
        flush();
    }

private:
    void flush()
    {
        writeThrough(m_buffer.data(), m_buffer.size());
        m_buffer.clear();
    }

    void writeThrough(const char* bytes, std::size_t size)
    {
        try {
            m_file.write(bytes, size);
        } catch (const FileWriteError&) {
            m_failure = std::current_exception();
            throw;
        }
    }

    detail::TemporaryFile& m_file;
    std::vector<char> m_buffer;
    std::exception_ptr m_failure;
};

} // namespace

void writeFileAtomically(const fs::path& file, const std::function<void(FileSink&)>& produce)
{
    detail::TemporaryFile temporary(file);
    BufferedSink sink(temporary);
    produce(sink);
    sink.finish();
    temporary.finish();
    temporary.replace();
}

void writeFileAtomically(const fs::path& file, std::string_view bytes)
{
    writeFileAtomically(file, [bytes](FileSink& sink) { sink.write(bytes.data(), bytes.size()); });
}

} // namespace platform
