#include "export/exchange_document.h"
#include "export/failure_text.h"
#include "platform/codepage_table.h"
#include "platform/regional.h"
#include "platform/user_error.h"
#include "test_support.h"

#include <climits>
#include <ctime>
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

TEST_F(ExchangeDocumentTest, longValuesAreEscapedWholeAcrossThePiecesTheyAreEscapedIn)
{
    // Values are escaped 64 KiB at a time: a two-byte ñ and a tab at every place around the edges.
    document.start();
    document.openSection("SOLUCT");
    std::string value;
    std::string expected;
    for (int i = 0; i < 200000; ++i) {
        const char* piece = i % 7 == 0 ? "\t" : i % 3 == 0 ? "ñ" : "x";
        value += piece;
        expected += i % 7 == 0 ? "&#9;" : piece;
    }
    document.addRow("SOLUCF").set("ASIG", value);
    EXPECT_EQ(
        document.toString(), std::string(Header) + "<SOLUCT><SOLUCF ASIG=\"" + expected + "\"/></SOLUCT></SERVICIO>");
}

struct PieceCase
{
    const char* name;
    std::string bytes;
    int codePage; // 0: UTF-8
    std::string written; // the attribute's text; empty when refused
    XmlTextProblem::Kind problem = XmlTextProblem::Kind::InvalidCharacter;
    std::uint32_t character = 0;
    std::size_t offset = 0;
};

void PrintTo(const PieceCase& c, std::ostream* os)
{
    *os << c.name;
}

class ExchangeDocumentPieceTest : public ExchangeDocumentTest, public ::testing::WithParamInterface<PieceCase>
{
};

// Texts as fields hand them on: converted from their code page and escaped in one pass, or refused
// with nothing written, after which the row takes further attributes as usual.
TEST_P(ExchangeDocumentPieceTest, writesTheTextOrRefusesItWithoutATrace)
{
    const auto& c = GetParam();
    document.start();
    document.openSection("PROFT");
    auto row = document.addRow("PROFF");
    row.set("ID", 1);
    timetable::TextPiece piece {c.bytes};
    if (c.codePage != 0) {
        piece.codePage = platform::CodePageTable::forCodePage(c.codePage);
        ASSERT_NE(piece.codePage, nullptr);
    }
    const auto problem = row.trySet("NOMBRE", piece);
    row.set("DEPART", "Lengua");
    const std::string attribute = c.written.empty() ? "" : " NOMBRE=\"" + c.written + "\"";
    EXPECT_EQ(document.toString(),
        std::string(Header) + "<PROFT><PROFF ID=\"1\"" + attribute + " DEPART=\"Lengua\"/></PROFT></SERVICIO>");
    ASSERT_EQ(problem.has_value(), c.written.empty());
    if (problem) {
        EXPECT_EQ(problem->kind, c.problem);
        EXPECT_EQ(static_cast<std::uint32_t>(problem->character), c.character);
        EXPECT_EQ(problem->offset, c.offset);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, ExchangeDocumentPieceTest,
    ::testing::Values(PieceCase {"utf8", "Muñoz & <Goñi>", 0, "Muñoz &amp; &lt;Goñi>"},
        PieceCase {"codePage850", "Mu\xA4oz & \"G\xA3\"\t", 850, "Muñoz &amp; &quot;Gú&quot;&#9;"},
        PieceCase {"asciiInACodePage", "Ana & Luis", 850, "Ana &amp; Luis"},
        PieceCase {"controlInACodePage", "\xA4\xA4\x01", 850, "", XmlTextProblem::Kind::InvalidCharacter, 1, 4},
        PieceCase {"controlInUtf8", "ñ\x02", 0, "", XmlTextProblem::Kind::InvalidCharacter, 2, 2},
        PieceCase {"latin1BytesAsUtf8", "Mu\xF1oz", 0, "", XmlTextProblem::Kind::InvalidUtf8, 0, 2},
        PieceCase {"refusedAfterThePieces", std::string(70000, '\xA4') + "\x1B", 850, "",
            XmlTextProblem::Kind::InvalidCharacter, 0x1B, 140000}),
    [](const ::testing::TestParamInfo<PieceCase>& info) { return std::string(info.param.name); });

TEST_F(ExchangeDocumentTest, fechaFollowsTheRegionalSettings)
{
    auto settings = test::spanishSettings();
    settings.shortDate = "yyyy-MM-dd";
    settings.clock24 = 0;
    settings.hourLeadingZero = 1;
    settings.pmDesignator = "p. m.";
    platform::setRegionalSettings(settings);
    ExchangeDocument afternoon([] { return platform::LocalTime {2026, 1, 31, 14, 30, 0}; });
    afternoon.start();
    EXPECT_EQ(afternoon.toString(),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><SERVICIO autor=\"MORVANTA\" "
        "fecha=\"2026-01-31 02:30:00 p. m.\" modulo=\"HORARIOS\"/>");

    // Separators and designators come in as the system gives them, and are escaped here.
    settings.shortDate = "dd/MM";
    settings.dateSeparator = "\"";
    settings.pmDesignator = "p.\x01m.";
    platform::setRegionalSettings(settings);
    afternoon.start();
    EXPECT_EQ(afternoon.toString(),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><SERVICIO autor=\"MORVANTA\" "
        "fecha=\"31&quot;01 02:30:00 p.&#01;m.\" modulo=\"HORARIOS\"/>");
}

// Every other test runs with a fixed clock: this one reads the system's, and fecha must carry the
// date of the run (read before and after, for a run across midnight).
TEST_F(ExchangeDocumentTest, fechaOfTheSystemClockIsTheDateOfTheRun)
{
    auto settings = test::spanishSettings();
    settings.shortDate = "yyyy-MM-dd";
    platform::setRegionalSettings(settings);
    const auto today = [] {
        const std::time_t now = std::time(nullptr);
        char text[16] = {};
        std::strftime(text, sizeof text, "%Y-%m-%d", std::localtime(&now));
        return std::string(text);
    };
    const auto before = today();
    ExchangeDocument withSystemClock;
    withSystemClock.start();
    const auto after = today();
    const auto text = withSystemClock.toString();
    const auto at = text.find("fecha=\"");
    ASSERT_NE(at, std::string::npos) << text;
    const auto date = text.substr(at + 7, 10);
    EXPECT_TRUE(date == before || date == after) << text << " (hoy: " << before << ")";
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
    // Nothing of the refused values is left in the document.
    row.set("ID", 3);
    EXPECT_EQ(document.toString(), std::string(Header) + "<PROFT><PROFF ID=\"3\"/></PROFT></SERVICIO>");
}

TEST_F(ExchangeDocumentTest, operationsOutOfOrderFail)
{
    EXPECT_EQ(document.toString(), "");
    EXPECT_THROW(document.openSection("ASIGT"), platform::UserError);
    document.start();
    EXPECT_THROW(document.addRow("ASIGF"), platform::UserError);
    document.openSection("ASIGT");
    auto first = document.addRow("ASIGF");
    document.addRow("ASIGF");
    // The text of the first row is closed: it takes no more attributes.
    EXPECT_THROW(first.set("ID", 1), std::logic_error);
    EXPECT_THROW(first.set("ASIG", "x"), std::logic_error);
    EXPECT_EQ(document.toString(), std::string(Header) + "<ASIGT><ASIGF/><ASIGF/></ASIGT></SERVICIO>");
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
