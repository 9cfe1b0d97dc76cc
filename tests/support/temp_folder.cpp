#include "support/temp_folder.h"

#include "platform/paths.h"

#include <atomic>
#include <random>
#include <stdexcept>
#include <system_error>

namespace support {

namespace fs = std::filesystem;

namespace {

constexpr int NameAttempts = 100;

} // namespace

TempFolder::TempFolder(std::string_view hint)
{
    static std::atomic<unsigned> counter {0};
    static std::random_device random;
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        const std::string name = std::string(hint) + "-" + std::to_string(random()) + "-" + std::to_string(counter++);
        const fs::path candidate = base / name;
        // create_directory answers false, without failing, when the folder exists already.
        if (fs::create_directory(candidate)) {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("no new temporary folder in " + platform::pathText(base));
}

TempFolder::~TempFolder()
{
    removeAll(m_path);
}

fs::path TempFolder::operator/(std::string_view name) const
{
    return m_path / platform::pathFromUtf8(name);
}

void removeAll(const fs::path& folder)
{
    std::error_code ec;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        // On Windows the write bit is the read-only attribute.
        std::error_code ignored;
        const auto type = it->symlink_status(ignored).type();
        if (type == fs::file_type::directory)
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        else if (type == fs::file_type::regular)
            fs::permissions(it->path(), fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ignored);
    }
    fs::remove_all(folder, ec);
}

} // namespace support
