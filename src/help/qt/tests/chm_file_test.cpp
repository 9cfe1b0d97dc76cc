#include "help/qt/chm_file.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <ostream>
#include <regex>
#include <set>
#include <string>

namespace {

using namespace std::string_literals;

std::string le16(std::uint16_t v)
{
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

std::string le32(std::uint32_t v)
{
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF), static_cast<char>((v >> 16) & 0xFF),
        static_cast<char>(v >> 24)};
}

std::string record(std::uint16_t code, const std::string& data)
{
    return le16(code) + le16(static_cast<std::uint16_t>(data.size())) + data;
}

TEST(ChmSystemRecords, namedRecordsAreRead)
{
    const std::string data = le32(3) + record(9, "HHA Version 4.74\0"s) + record(2, "index.html\0"s)
        + record(3, "T\xEDtulo\0"s) + record(0, "EDUCA.hhc\0pad"s);
    const help::qt::ChmSystemInfo info = help::qt::parseSystemRecords(data);
    EXPECT_EQ(info.contentsFile, "EDUCA.hhc");
    EXPECT_EQ(info.defaultPage, "index.html");
    EXPECT_EQ(info.title, "T\xEDtulo");
}

TEST(ChmSystemRecords, truncatedRecordEndsTheList)
{
    std::string data = le32(3) + record(2, "index.html\0"s) + record(3, "Largo t\xEDtulo\0"s);
    data.resize(data.size() - 4);
    const help::qt::ChmSystemInfo info = help::qt::parseSystemRecords(data);
    EXPECT_EQ(info.defaultPage, "index.html");
    EXPECT_EQ(info.title, "");
    EXPECT_EQ(help::qt::parseSystemRecords("").defaultPage, "");
    EXPECT_EQ(help::qt::parseSystemRecords("\x03\x00"s).defaultPage, "");
}

TEST(ChmContextMap, pairsWithinTheCountAndTheStrings)
{
    const std::string strings = "\0/a/exportar.html\0tablas.html\0"s;
    // Count says two pairs; a third pair lies beyond it. Context 9 points outside the strings.
    const std::string ivb
        = le32(24) + le32(1) + le32(1) + le32(20) + le32(18) + le32(9) + le32(500) + le32(30) + le32(1);
    const auto map = help::qt::parseContextMap(ivb, strings);
    const std::map<std::uint32_t, std::string> expected {{1, "/a/exportar.html"}, {20, "tablas.html"}};
    EXPECT_EQ(map, expected);
    EXPECT_TRUE(help::qt::parseContextMap("", strings).empty());
    EXPECT_TRUE(help::qt::parseContextMap(le32(800) + le32(1), strings).empty());
}

struct MatchCase
{
    const char* reference;
    const char* expected; // "" for no match
};

void PrintTo(const MatchCase& c, std::ostream* out)
{
    *out << "'" << c.reference << "'";
}

class MatchStoredPathTest : public testing::TestWithParam<MatchCase>
{
};

TEST_P(MatchStoredPathTest, findsTheStoredFile)
{
    const std::vector<std::string> files {
        "/index.html", "/exportar.html", "/docs/exportar.html", "/Tablas.HTML", "/img/logo.png"};
    const auto found = help::qt::matchStoredPath(files, GetParam().reference);
    EXPECT_EQ(found.value_or(""), GetParam().expected) << GetParam().reference;
}

INSTANTIATE_TEST_SUITE_P(References, MatchStoredPathTest,
    testing::Values(MatchCase {"/exportar.html", "/exportar.html"}, MatchCase {"exportar.html", "/exportar.html"},
        MatchCase {"exportar.html#pasos", "/exportar.html"}, MatchCase {"tablas.html", "/Tablas.HTML"},
        MatchCase {"INDEX.HTML", "/index.html"}, MatchCase {"img\\logo.png", "/img/logo.png"},
        // Absolute build paths that a compiler stored: the longest suffix at a "/" wins.
        MatchCase {"/work/src/help/chm/exportar.html", "/exportar.html"},
        MatchCase {"/work/src/help/chm/docs/exportar.html", "/docs/exportar.html"},
        MatchCase {"C:\\Proyecto\\Ayuda\\TABLAS.html", "/Tablas.HTML"},
        // A suffix that is not a whole file name does not count.
        MatchCase {"/work/xexportar.html", ""}, MatchCase {"otra.html", ""}, MatchCase {"", ""},
        MatchCase {"#solo", ""}));

TEST(ChmFile, missingOrForeignFilesDoNotOpen)
{
    EXPECT_EQ(help::qt::ChmFile::open("/nonexistent/EDUCA.chm"), nullptr);
    const support::TempFolder folder("educa-chm");
    const auto path = folder / "educa_not_a_chm.chm";
    std::ofstream(path) << "<html>not compiled help</html>";
    EXPECT_EQ(help::qt::ChmFile::open(path), nullptr);
    EXPECT_EQ(help::qt::ChmFile::open(folder.path()), nullptr);
}

// The help file that the build compiles.
class BuiltHelpFile : public testing::Test
{
protected:
    void SetUp() override
    {
        m_file = help::qt::ChmFile::open(EDUCA_TEST_HELP_FILE);
        ASSERT_NE(m_file, nullptr) << EDUCA_TEST_HELP_FILE;
    }

    std::set<std::string> htmlPages() const
    {
        std::set<std::string> pages;
        for (const std::string& f : m_file->files()) {
            if (f.ends_with(".html"))
                pages.insert(f);
        }
        return pages;
    }

    void collectPages(const std::vector<help::qt::ContentsEntry>& entries, std::set<std::string>& pages) const
    {
        for (const auto& entry : entries) {
            EXPECT_FALSE(entry.name.empty());
            auto stored = m_file->findFile(entry.local);
            EXPECT_TRUE(stored) << entry.local;
            if (stored)
                pages.insert(*stored);
            collectPages(entry.children, pages);
        }
    }

    std::unique_ptr<help::qt::ChmFile> m_file;
};

TEST_F(BuiltHelpFile, contextOneIsTheExportPage)
{
    EXPECT_EQ(m_file->pageForContext(1).value_or(""), "/exportar.html");
    EXPECT_FALSE(m_file->pageForContext(2));
    EXPECT_FALSE(m_file->pageForContext(0));
}

TEST_F(BuiltHelpFile, systemNamesDefaultPageContentsAndTitle)
{
    EXPECT_EQ(m_file->defaultPage().value_or(""), "/index.html");
    EXPECT_EQ(m_file->systemInfo().contentsFile, "EDUCA.hhc");
    EXPECT_EQ(m_file->title(), "Ayuda de TransSelvarEDUCA");
}

TEST_F(BuiltHelpFile, contentsListEveryPage)
{
    const std::set<std::string> pages = htmlPages();
    EXPECT_GE(pages.size(), 8u);
    std::set<std::string> listed;
    collectPages(m_file->contents(), listed);
    EXPECT_EQ(listed, pages);
}

TEST_F(BuiltHelpFile, everyLinkLeadsToAStoredFile)
{
    const std::regex reference(R"re((?:href|src)\s*=\s*"([^"]*)")re", std::regex::icase);
    int links = 0;
    for (const std::string& page : htmlPages()) {
        const auto text = m_file->read(page);
        ASSERT_TRUE(text) << page;
        for (std::sregex_iterator it(text->begin(), text->end(), reference), end; it != end; ++it) {
            const std::string target = (*it)[1];
            if (target.starts_with("http:") || target.starts_with("https:") || target.starts_with("#"))
                continue;
            ++links;
            EXPECT_TRUE(m_file->findFile(target)) << page << " -> " << target;
        }
    }
    EXPECT_GT(links, 20);
}

} // namespace
