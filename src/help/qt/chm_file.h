#pragma once

#include "help/qt/chm_sitemap.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct chmFile;

namespace help::qt {

// What the /#SYSTEM object of a compiled help file names.
struct ChmSystemInfo
{
    std::string contentsFile; // record 0: the .hhc file
    std::string defaultPage; // record 2
    std::string title; // record 3, as stored (8-bit text)
};

// Reads the records of a /#SYSTEM object: a 4-byte version, then records of a 2-byte code, a 2-byte
// length and that many bytes of data (texts end at their first NUL). A truncated record ends the list.
ChmSystemInfo parseSystemRecords(std::string_view data);

// Reads the context map: /#IVB holds a 4-byte byte count, then pairs of 4-byte little-endian (context
// number, offset into /#STRINGS); /#STRINGS holds NUL-ended texts, the page of each number. Pairs that
// lie beyond the count or point outside the strings are left out.
std::map<std::uint32_t, std::string> parseContextMap(std::string_view ivb, std::string_view strings);

// Finds the stored file that a reference names: "\" becomes "/", any "#anchor" is dropped, and the
// reference is taken from the root. The exact path wins, then the same path without regard to case,
// then the longest stored path that is a suffix of the reference at a "/" boundary, case ignored
// (compilers store the page path of a context either relative or as the absolute path it had at build
// time). files are stored paths, each starting with "/".
std::optional<std::string> matchStoredPath(const std::vector<std::string>& files, std::string_view reference);

// A compiled help file (.chm), read through chmlib.
class ChmFile
{
public:
    // Opens the file; nothing when it does not exist or is not a compiled help file.
    static std::unique_ptr<ChmFile> open(const std::filesystem::path& path);
    ~ChmFile();
    ChmFile(const ChmFile&) = delete;
    ChmFile& operator=(const ChmFile&) = delete;

    const std::filesystem::path& path() const { return m_path; }

    // The stored files that hold content, each starting with "/", in the file's own order; directories
    // and the compiler's internal objects ("/#...", "/$...", "::...") are left out.
    const std::vector<std::string>& files() const { return m_files; }

    // The bytes of a stored object ("/exportar.html", "/#SYSTEM"); nothing when it is not there or
    // cannot be read whole.
    std::optional<std::string> read(std::string_view storedPath) const;

    // The stored file that a reference names, as matchStoredPath finds it.
    std::optional<std::string> findFile(std::string_view reference) const;

    ChmSystemInfo systemInfo() const;

    // Context number to the page as stored in the map (not yet matched to a file).
    std::map<std::uint32_t, std::string> contextMap() const;

    // The stored page that the context number is mapped to; nothing when the number is not mapped or
    // its page is not in the file.
    std::optional<std::string> pageForContext(std::uint32_t context) const;

    // The table of contents: the .hhc named by /#SYSTEM, else the first stored .hhc; empty when there
    // is none.
    std::vector<ContentsEntry> contents() const;

    // The page to show with the table of contents: /#SYSTEM's default page, else the first page of
    // the contents, else the first stored HTML page; nothing for a file without pages.
    std::optional<std::string> defaultPage() const;

    // The title as UTF-8 (see htmlToUtf8); may be empty.
    std::string title() const;

private:
    ChmFile(::chmFile* handle, std::filesystem::path path);

    ::chmFile* m_handle;
    std::filesystem::path m_path;
    std::vector<std::string> m_files;
};

} // namespace help::qt
