#include "export/exchange_document.h"
#include "export/failure_text.h"
#include "platform/regional.h"
#include "platform/user_error.h"
#include "test_support.h"

#include <climits>
#include <gtest/gtest.h>

namespace exporter {
namespace {

using test::TempDir;

constexpr const char* Header = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                               "<SERVICIO autor=\"MORVANTA\" fecha=\"08/12/2025 9:05:07\" modulo=\"HORARIOS\">";

class ExchangeDocumentTest : public ::testing::Test
{
protected:
    void SetUp() override { platform::setRegionalSettings(test::spanishSettings()); }

    ExchangeDocument document {test::fixedMoment};
};

TEST_F(ExchangeDocumentTest, headerThenSectionsInOrderOfOpening)
{
    document.start();
    document.openSection("ASIGT");
    document.openSection("PROFT");
    EXPECT_EQ(document.toString(), std::string(Header) + "<ASIGT/><PROFT/></SERVICIO>");
}

TEST_F(ExchangeDocumentTest, rowsGoToTheLastOpenedSectionWithAttributesInOrder)
{
    document.start();
    document.openSection("GRUPT");
    auto first = document.addRow("GRUPF");
    first.set("ID", 1);
    first.set("ABREV", "1EA");
    first.set("MAXALUM", -5);
    first.set("NIVEL", "");
    document.openSection("AULAT");
    auto second = document.addRow("AULAF");
    second.set("MAXALUM", INT_MIN);
    second.set("ID", INT_MAX);
    EXPECT_EQ(document.toString(),
        std::string(Header)
            + "<GRUPT><GRUPF ID=\"1\" ABREV=\"1EA\" MAXALUM=\"-5\" NIVEL=\"\"/></GRUPT>"
              "<AULAT><AULAF MAXALUM=\"-2147483648\" ID=\"2147483647\"/></AULAT></SERVICIO>");
}

TEST_F(ExchangeDocumentTest, escapesReservedCharactersAndWritesBreaksAndTabsAsReferences)
{
    document.start();
    document.openSection("NOMASIGT");
    document.addRow("NOMASIGF").set("NOMBRE", "a&b<c>d\"e'f\tg\nh\ri ñ É &#09; \t\t");
    EXPECT_EQ(document.toString(),
        std::string(Header)
            + "<NOMASIGT><NOMASIGF NOMBRE=\"a&amp;b&lt;c>d&quot;e'f&#9;g&#10;h&#13;i ñ É "
              "&amp;#09; &#9;&#9;\"/></NOMASIGT></SERVICIO>");
}

TEST_F(ExchangeDocumentTest, tabReferenceIsRewrittenAcrossWriterChunks)
{
    // pugixml hands its output over in chunks of a few kilobytes; tabs at every offset make some
    // references straddle a chunk boundary.
    document.start();
    document.openSection("SOLUCT");
    std::string value;
    for (int i = 0; i < 3000; ++i)
        value += (i % 7 == 0) ? "\t" : "x";
    document.addRow("SOLUCF").set("ASIG", value);
    const auto text = document.toString();
    EXPECT_EQ(text.find("&#09;"), std::string::npos);
    std::string expected;
    for (char c : value)
        expected += c == '\t' ? std::string("&#9;") : std::string(1, c);
    EXPECT_NE(text.find("ASIG=\"" + expected + "\""), std::string::npos);
}

TEST_F(ExchangeDocumentTest, fechaFollowsTheRegionalSettings)
{
    auto settings = test::spanishSettings();
    settings.shortDate = "yyyy-MM-dd";
    settings.clock24 = 0;
    settings.hourLeadingZero = 1;
    settings.pmDesignator = "p. m.";
    platform::setRegionalSettings(settings);
    ExchangeDocument afternoon([] { return dbase::DateTime {{2026, 1, 31}, {14, 30, 0, 0}}; });
    afternoon.start();
    EXPECT_EQ(afternoon.toString(),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><SERVICIO autor=\"MORVANTA\" "
        "fecha=\"2026-01-31 02:30:00 p. m.\" modulo=\"HORARIOS\"/>");
}

TEST_F(ExchangeDocumentTest, refusesTextThatXmlCannotCarry)
{
    document.start();
    document.openSection("PROFT");
    auto row = document.addRow("PROFF");
    try {
        row.set("NOMBRE", "Dos\x01");
        FAIL() << "control character accepted";
    } catch (const platform::UserError& e) {
        EXPECT_STREQ(e.what(),
            "El atributo 'NOMBRE' del elemento 'PROFF' contiene el carácter U+0001, que no se "
            "puede escribir en XML");
    }
    try {
        row.set("DEPART", "Matem\xe1ticas");
        FAIL() << "invalid UTF-8 accepted";
    } catch (const platform::UserError& e) {
        EXPECT_STREQ(e.what(),
            "El atributo 'DEPART' del elemento 'PROFF' contiene bytes que no forman texto UTF-8 "
            "válido");
    }
}

TEST_F(ExchangeDocumentTest, operationsOutOfOrderFail)
{
    EXPECT_THROW(document.openSection("ASIGT"), platform::UserError);
    document.start();
    EXPECT_THROW(document.addRow("ASIGF"), platform::UserError);
}

TEST_F(ExchangeDocumentTest, saveWritesExactlyTheDocumentText)
{
    TempDir dir;
    document.start();
    document.openSection("PROFT");
    auto row = document.addRow("PROFF");
    row.set("ID", 1);
    row.set("NOMBRE", "Muñoz Goñi, Íñigo\t&");
    const auto path = dir / "salida.xml";
    test::writeFile(path, "contenido anterior");
    document.save(path);
    EXPECT_EQ(test::readFile(path), document.toString());
    EXPECT_EQ(test::folderEntries(dir.path()), std::vector<std::string> {"salida.xml"});
}

TEST_F(ExchangeDocumentTest, savingIntoAMissingFolderNamesTheFileAndKeepsNothing)
{
    TempDir dir;
    document.start();
    const auto path = dir / "no-existe" / "salida.xml";
    try {
        document.save(path);
        FAIL() << "saved into a missing folder";
    } catch (const platform::UserError& e) {
        EXPECT_EQ(std::string(e.what()),
            "No se puede escribir el archivo '" + platform::pathText(path) + "': " + test::missingFolderText());
    }
    EXPECT_TRUE(test::folderEntries(dir.path()).empty());
}

} // namespace
} // namespace exporter
