#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Temporary folders in tests, the same way on POSIX systems and Windows.
namespace support {

// A new, empty folder of its own in the system's temporary folder, named after `hint` and made unique
// (two test runs side by side never share one). It is removed with all it holds when the object goes,
// read-only files and folders without write permission included.
class TempFolder
{
public:
    explicit TempFolder(std::string_view hint = "educa");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const;

private:
    std::filesystem::path m_path;
};

// Removes a folder with all it holds, giving back write permission first where it was taken away.
void removeAll(const std::filesystem::path& folder);

} // namespace support
