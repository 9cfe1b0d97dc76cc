#include "help/qt/chm_file.h"

#include "help/qt/html_text.h"
#include "platform/text.h"

#include <algorithm>
#include <chm_lib.h>
#include <functional>
#include <utility>

namespace help::qt {

namespace {

// Records of /#SYSTEM.
constexpr std::uint16_t SystemContentsFile = 0;
constexpr std::uint16_t SystemDefaultPage = 2;
constexpr std::uint16_t SystemTitle = 3;
constexpr std::size_t SystemVersionSize = 4;
constexpr std::size_t SystemRecordHeaderSize = 4;
// /#IVB: a byte count, then 8-byte pairs.
constexpr std::size_t IvbCountSize = 4;
constexpr std::size_t IvbPairSize = 8;

std::uint16_t readLe16(std::string_view data, std::size_t at)
{
    return static_cast<std::uint16_t>(
        static_cast<unsigned char>(data[at]) | (static_cast<unsigned char>(data[at + 1]) << 8));
}

std::uint32_t readLe32(std::string_view data, std::size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(data[at]))
        | (static_cast<std::uint32_t>(static_cast<unsigned char>(data[at + 1])) << 8)
        | (static_cast<std::uint32_t>(static_cast<unsigned char>(data[at + 2])) << 16)
        | (static_cast<std::uint32_t>(static_cast<unsigned char>(data[at + 3])) << 24);
}

std::string untilNul(std::string_view data)
{
    const std::size_t nul = data.find('\0');
    return std::string(nul == std::string_view::npos ? data : data.substr(0, nul));
}

bool endsWithNoCase(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size()
        && platform::asciiLower(text.substr(text.size() - suffix.size())) == platform::asciiLower(suffix);
}

bool isContentPath(std::string_view path)
{
    if (path.empty() || path.front() != '/' || path.back() == '/')
        return false;
    return !path.starts_with("/#") && !path.starts_with("/$");
}

bool isHtmlPath(std::string_view path)
{
    return endsWithNoCase(path, ".html") || endsWithNoCase(path, ".htm");
}

int collectFile(::chmFile*, chmUnitInfo* info, void* context)
{
    auto* files = static_cast<std::vector<std::string>*>(context);
    std::string path(info->path);
    if (isContentPath(path))
        files->push_back(std::move(path));
    return CHM_ENUMERATOR_CONTINUE;
}

const ContentsEntry* firstWithPage(const std::vector<ContentsEntry>& entries)
{
    for (const ContentsEntry& entry : entries) {
        if (!entry.local.empty())
            return &entry;
        if (const ContentsEntry* child = firstWithPage(entry.children))
            return child;
    }
    return nullptr;
}

} // namespace

ChmSystemInfo parseSystemRecords(std::string_view data)
{
    ChmSystemInfo info;
    std::size_t pos = SystemVersionSize;
    while (pos + SystemRecordHeaderSize <= data.size()) {
        const std::uint16_t code = readLe16(data, pos);
        const std::uint16_t length = readLe16(data, pos + 2);
        pos += SystemRecordHeaderSize;
        if (pos + length > data.size())
            break;
        const std::string_view record = data.substr(pos, length);
        switch (code) {
        case SystemContentsFile:
            info.contentsFile = untilNul(record);
            break;
        case SystemDefaultPage:
            info.defaultPage = untilNul(record);
            break;
        case SystemTitle:
            info.title = untilNul(record);
            break;
        default:
            break;
        }
        pos += length;
    }
    return info;
}

std::map<std::uint32_t, std::string> parseContextMap(std::string_view ivb, std::string_view strings)
{
    std::map<std::uint32_t, std::string> map;
    if (ivb.size() < IvbCountSize)
        return map;
    const std::size_t end = std::min<std::size_t>(ivb.size(), IvbCountSize + readLe32(ivb, 0));
    for (std::size_t pos = IvbCountSize; pos + IvbPairSize <= end; pos += IvbPairSize) {
        const std::uint32_t context = readLe32(ivb, pos);
        const std::uint32_t offset = readLe32(ivb, pos + 4);
        if (offset >= strings.size())
            continue;
        std::string page = untilNul(strings.substr(offset));
        if (!page.empty())
            map.emplace(context, std::move(page));
    }
    return map;
}

std::optional<std::string> matchStoredPath(const std::vector<std::string>& files, std::string_view reference)
{
    std::string wanted(reference);
    std::replace(wanted.begin(), wanted.end(), '\\', '/');
    if (const std::size_t hash = wanted.find('#'); hash != std::string::npos)
        wanted.erase(hash);
    if (wanted.empty())
        return std::nullopt;
    if (wanted.front() != '/')
        wanted.insert(wanted.begin(), '/');

    if (std::find(files.begin(), files.end(), wanted) != files.end())
        return wanted;
    const std::string wantedLower = platform::asciiLower(wanted);
    std::optional<std::string> best;
    for (const std::string& file : files) {
        const std::string fileLower = platform::asciiLower(file);
        if (fileLower == wantedLower)
            return file;
        // Stored paths start with "/", so a suffix match always sits at a "/" boundary.
        if (wantedLower.ends_with(fileLower) && (!best || file.size() > best->size()))
            best = file;
    }
    return best;
}

ChmFile::ChmFile(::chmFile* handle, std::filesystem::path path)
    : m_handle(handle)
    , m_path(std::move(path))
{
    chm_enumerate(m_handle, CHM_ENUMERATE_ALL, collectFile, &m_files);
}

ChmFile::~ChmFile()
{
    chm_close(m_handle);
}

std::unique_ptr<ChmFile> ChmFile::open(const std::filesystem::path& path)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return nullptr;
    ::chmFile* handle = chm_open(path.c_str());
    if (!handle)
        return nullptr;
    return std::unique_ptr<ChmFile>(new ChmFile(handle, path));
}

std::optional<std::string> ChmFile::read(std::string_view storedPath) const
{
    chmUnitInfo info {};
    const std::string path(storedPath);
    if (chm_resolve_object(m_handle, path.c_str(), &info) != CHM_RESOLVE_SUCCESS)
        return std::nullopt;
    std::string data(static_cast<std::size_t>(info.length), '\0');
    if (info.length == 0)
        return data;
    const LONGINT64 got = chm_retrieve_object(
        m_handle, &info, reinterpret_cast<unsigned char*>(data.data()), 0, static_cast<LONGINT64>(info.length));
    if (got != static_cast<LONGINT64>(info.length))
        return std::nullopt;
    return data;
}

std::optional<std::string> ChmFile::findFile(std::string_view reference) const
{
    return matchStoredPath(m_files, reference);
}

ChmSystemInfo ChmFile::systemInfo() const
{
    return parseSystemRecords(read("/#SYSTEM").value_or(""));
}

std::map<std::uint32_t, std::string> ChmFile::contextMap() const
{
    return parseContextMap(read("/#IVB").value_or(""), read("/#STRINGS").value_or(""));
}

std::optional<std::string> ChmFile::pageForContext(std::uint32_t context) const
{
    const auto map = contextMap();
    const auto it = map.find(context);
    if (it == map.end())
        return std::nullopt;
    return findFile(it->second);
}

std::vector<ContentsEntry> ChmFile::contents() const
{
    std::optional<std::string> hhc;
    if (const std::string named = systemInfo().contentsFile; !named.empty())
        hhc = findFile(named);
    if (!hhc) {
        const auto it = std::find_if(
            m_files.begin(), m_files.end(), [](const std::string& f) { return endsWithNoCase(f, ".hhc"); });
        if (it != m_files.end())
            hhc = *it;
    }
    if (!hhc)
        return {};
    const std::optional<std::string> text = read(*hhc);
    return text ? parseSitemap(htmlToUtf8(*text)) : std::vector<ContentsEntry> {};
}

std::optional<std::string> ChmFile::defaultPage() const
{
    if (const std::string named = systemInfo().defaultPage; !named.empty()) {
        if (auto page = findFile(named))
            return page;
    }
    const std::vector<ContentsEntry> entries = contents();
    if (const ContentsEntry* entry = firstWithPage(entries)) {
        if (auto page = findFile(entry->local))
            return page;
    }
    const auto it = std::find_if(m_files.begin(), m_files.end(), [](const std::string& f) { return isHtmlPath(f); });
    if (it != m_files.end())
        return *it;
    return std::nullopt;
}

std::string ChmFile::title() const
{
    return htmlToUtf8(systemInfo().title);
}

} // namespace help::qt
