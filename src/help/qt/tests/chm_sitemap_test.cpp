#include "help/qt/chm_sitemap.h"

#include <gtest/gtest.h>

namespace {

using help::qt::ContentsEntry;

TEST(ChmSitemap, nestedListsBecomeChildrenOfTheEntryBefore)
{
    const char* text = R"(<HTML><BODY>
<OBJECT type="text/site properties"><param name="Window Styles" value="0x800025"></OBJECT>
<UL>
  <LI> <OBJECT type="text/sitemap"><param name="Name" value="Inicio"><param name="Local" value="index.html"></OBJECT>
  <UL>
    <LI> <OBJECT type="text/sitemap"><param name="Name" value="Uno"><param name="Local" value="uno.html"></OBJECT>
    <UL>
      <LI> <OBJECT type="text/sitemap"><param name="Name" value="Uno.a"><param name="Local" value="uno.html#a"></OBJECT>
    </UL>
    <LI> <OBJECT type="text/sitemap"><param name="Name" value="Dos"><param name="Local" value="dos.html"></OBJECT>
  </UL>
  <LI> <OBJECT type="text/sitemap"><param name="Name" value="Final"><param name="Local" value="fin.html"></OBJECT>
</UL></BODY></HTML>)";
    const std::vector<ContentsEntry> expected {
        {"Inicio", "index.html", {{"Uno", "uno.html", {{"Uno.a", "uno.html#a", {}}}}, {"Dos", "dos.html", {}}}},
        {"Final", "fin.html", {}},
    };
    EXPECT_EQ(help::qt::parseSitemap(text), expected);
}

TEST(ChmSitemap, namesAreCaseFreeAndValuesDecoded)
{
    const char* text = "<ul><li><object TYPE='Text/Sitemap'>"
                       "<PARAM NAME=name VALUE=\"D&oacute;nde &quot;*&quot;\">"
                       "<Param Name=\"LOCAL\" Value=tablas.html>"
                       "<param name=\"Name\" value=\"second name ignored\">"
                       "</OBJECT></ul>";
    const std::vector<ContentsEntry> expected {{"D\xC3\xB3nde \"*\"", "tablas.html", {}}};
    EXPECT_EQ(help::qt::parseSitemap(text), expected);
}

TEST(ChmSitemap, entriesWithoutPageAndCommentsAreHandled)
{
    const char* text = "<!-- <object type=\"text/sitemap\"><param name=\"Name\" value=\"hidden\"></object> -->"
                       "<ul><li><object type=\"text/sitemap\"><param name=\"Name\" value=\"Carpeta\"></object>"
                       "<ul><li><object type=\"text/sitemap\"><param name=\"Name\" value=\"Hoja\">"
                       "<param name=\"Local\" value=\"hoja.htm\"></object></ul></ul>";
    const std::vector<ContentsEntry> expected {{"Carpeta", "", {{"Hoja", "hoja.htm", {}}}}};
    EXPECT_EQ(help::qt::parseSitemap(text), expected);
}

TEST(ChmSitemap, brokenTextGivesWhatCanBeRead)
{
    EXPECT_TRUE(help::qt::parseSitemap("").empty());
    EXPECT_TRUE(help::qt::parseSitemap("not a sitemap < at all").empty());
    // Unclosed lists and a cut-off object.
    const char* text = "</ul></ul><ul><ul><li><object type=\"text/sitemap\"><param name=\"Name\" value=\"A\"></object>"
                       "<li><object type=\"text/sitemap\"><param name=\"Name\" value=\"B";
    const std::vector<ContentsEntry> expected {{"A", "", {}}};
    EXPECT_EQ(help::qt::parseSitemap(text), expected);
}

} // namespace
