// The help file as the build makes it (the same rule, from the same sources, makes the one that the
// Windows package ships), read with chmlib: what the Windows help engine is asked for is there.

#include <chm_lib.h>
#include <cstdint>
#include <gtest/gtest.h>
#include <optional>
#include <regex>
#include <set>
#include <string>

namespace {

class BuiltHelpFile : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(m_file, nullptr) << EDUCA_TEST_HELP_FILE; }
    void TearDown() override
    {
        if (m_file)
            chm_close(m_file);
    }

    std::optional<std::string> read(const std::string& path) const
    {
        chmUnitInfo info {};
        if (chm_resolve_object(m_file, path.c_str(), &info) != CHM_RESOLVE_SUCCESS)
            return std::nullopt;
        std::string data(static_cast<std::size_t>(info.length), '\0');
        const LONGINT64 length = static_cast<LONGINT64>(info.length);
        if (length > 0
            && chm_retrieve_object(m_file, &info, reinterpret_cast<unsigned char*>(data.data()), 0, length) != length)
            return std::nullopt;
        return data;
    }

    // The stored pages, "/name.html".
    std::set<std::string> pages() const
    {
        std::set<std::string> found;
        chm_enumerate(
            m_file, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES,
            [](chmFile*, chmUnitInfo* info, void* context) {
                const std::string path = info->path;
                if (path.ends_with(".html"))
                    static_cast<std::set<std::string>*>(context)->insert(path);
                return CHM_ENUMERATOR_CONTINUE;
            },
            &found);
        return found;
    }

    // The text of a record of /#SYSTEM (after its 4-byte version: code, length, data; little-endian).
    std::string systemRecord(std::uint16_t wanted) const
    {
        const std::string data = read("/#SYSTEM").value_or("");
        const auto le16 = [&data](std::size_t at) {
            return static_cast<std::uint16_t>(
                static_cast<unsigned char>(data[at]) | static_cast<unsigned char>(data[at + 1]) << 8);
        };
        for (std::size_t at = 4; at + 4 <= data.size(); at += 4 + le16(at + 2)) {
            if (le16(at) == wanted)
                return data.substr(at + 4, le16(at + 2)).c_str();
        }
        return {};
    }

    chmFile* m_file = chm_open(EDUCA_TEST_HELP_FILE);
};

// The program asks for context 1 (the export page); /#IVB pairs contexts with offsets into /#STRINGS.
TEST_F(BuiltHelpFile, contextOneIsTheExportPageAndTheOnlyContext)
{
    const std::string ivb = read("/#IVB").value_or("");
    const std::string strings = read("/#STRINGS").value_or("");
    ASSERT_EQ(ivb.size(), 4u + 8u);
    const auto le32 = [&ivb](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(ivb[at])
            | static_cast<unsigned char>(ivb[at + 1]) << 8 | static_cast<unsigned char>(ivb[at + 2]) << 16
            | static_cast<std::uint32_t>(static_cast<unsigned char>(ivb[at + 3])) << 24);
    };
    EXPECT_EQ(le32(4), 1u);
    ASSERT_LT(le32(8), strings.size());
    // The help compiler stores the page as it found it, under its source folder.
    const std::string page = strings.c_str() + le32(8);
    EXPECT_EQ(page.substr(page.find_last_of("/\\") + 1), "exportar.html") << page;
    EXPECT_TRUE(read("/exportar.html"));
}

TEST_F(BuiltHelpFile, namesItsDefaultPageContentsAndTitle)
{
    EXPECT_EQ(systemRecord(2), "index.html");
    EXPECT_EQ(systemRecord(0), "EDUCA.hhc");
    EXPECT_EQ(systemRecord(3), "Ayuda de TransSelvarEDUCA");
    EXPECT_TRUE(read("/index.html"));
}

TEST_F(BuiltHelpFile, theContentsListEveryPage)
{
    const std::string hhc = read("/EDUCA.hhc").value_or("");
    const std::regex local(R"re(<param\s+name="Local"\s+value="([^"]*)")re", std::regex::icase);
    std::set<std::string> listed;
    for (std::sregex_iterator it(hhc.begin(), hhc.end(), local), end; it != end; ++it)
        listed.insert("/" + (*it)[1].str());
    EXPECT_GE(listed.size(), 8u);
    EXPECT_EQ(listed, pages());
}

TEST_F(BuiltHelpFile, everyLinkLeadsToAStoredFile)
{
    const std::regex reference(R"re((?:href|src)\s*=\s*"([^"#]*)[^"]*")re", std::regex::icase);
    int links = 0;
    for (const std::string& page : pages()) {
        const std::string text = read(page).value_or("");
        for (std::sregex_iterator it(text.begin(), text.end(), reference), end; it != end; ++it) {
            const std::string target = (*it)[1];
            if (target.empty() || target.starts_with("http:") || target.starts_with("https:"))
                continue;
            ++links;
            EXPECT_TRUE(read("/" + target)) << page << " -> " << target;
        }
    }
    EXPECT_GT(links, 20);
}

} // namespace
