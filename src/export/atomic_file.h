#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string_view>

namespace exporter {

// Where the content of an atomically written file goes. Throws platform::UserError when the
// bytes cannot be written.
class FileSink
{
public:
    virtual ~FileSink() = default;
    virtual void write(const void* data, std::size_t size) = 0;
};

// Writes a file whole or not at all. The content goes to a new temporary file in the target's
// folder, which is flushed to disk (fsync) and only then renamed over the target; an existing
// target keeps its permission bits, and a symbolic link is followed to the file it names. On any
// failure, including an exception thrown by produce, the temporary file is removed and the target
// is left byte for byte as it was. Failures are platform::UserError naming the target, with the
// system's text for the error.
void writeFileAtomically(const std::filesystem::path& target, const std::function<void(FileSink&)>& produce);

// The same for content already in memory.
void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes);

} // namespace exporter
