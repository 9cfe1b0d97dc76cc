// Whole documents compared byte for byte with their golden files: the sample school, the test school,
// empty tables, the text of every byte in twelve code pages, values of every kind and form, and every
// character an attribute can carry.

#include "dbf_builder.h"
#include "export/exchange_document.h"
#include "golden.h"
#include "platform/regional.h"
#include "test_support.h"

#include <array>
#include <bit>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <random>

namespace exporter {
namespace {

namespace fs = std::filesystem;
using dbase::testing::DbfBuilder;
using dbase::testing::dbt3;
using dbase::testing::le32;
using dbase::testing::le64;
using dbase::testing::padded;
using dbase::testing::rightAligned;
using test::TempDir;

// Regional settings as educa-export gets them in the C locale.
platform::RegionalSettings cLocaleSettings()
{
    platform::RegionalSettings settings;
    settings.decimalSeparator = ".";
    return settings;
}

// A 12-hour clock with leading zeros, names in the date and another time separator.
platform::RegionalSettings wordySettings()
{
    auto settings = test::spanishSettings();
    settings.shortDate = "dddd d/MMMM/yy 'sem.' ddd mmm";
    settings.timeSeparator = ".";
    settings.clock24 = 0;
    settings.hourLeadingZero = 1;
    settings.amDesignator = "a. m.";
    settings.pmDesignator = "p. m.";
    return settings;
}

// The tables of one document, by their path under the school's folder ("datos/PROF.DBF").
using SchoolFiles = std::map<std::string, std::string>;

// The columns that the export reads from each table, in the order of the sections.
const std::vector<std::pair<std::string, std::vector<std::string>>> ReadColumns = {
    {"datos/Asig.DBF",
        {"ASIG", "AULA0", "AULA1", "AULA2", "AULA3", "AULA4", "EDIFICIO", "GRUP", "NALUM", "PROF", "TIPO", "NHORAS"}},
    {"datos/NOMASG.DBF", {"ABREV", "NOMBRE", "ACTIV"}},
    {"datos/PROF.DBF", {"ABREV", "NOMBRE", "DEPART"}},
    {"datos/GRUP.DBF", {"ABREV", "CURSO", "GRUPO", "MAXALUM", "NIVEL", "TURNO", "DESCRIP"}},
    {"datos/AULA.DBF", {"ABREV", "NOMBRE", "EDIFICIO", "MAXALUM"}},
    {"mtemp/SOLUC.DBF",
        {"ASIG", "AULA", "CODGRUPO", "CURSO", "DIA", "GRUPO", "HORA", "NIVEL", "PROF", "SESIONES", "TAREA", "TURNO"}},
};

// A table of the given code page whose columns are all character ones of eight bytes, except
// MAXALUM (numeric); the texts are taken in turn from the given pieces, "x" when they run out.
std::string textTable(
    const std::vector<std::string>& columns, std::uint8_t languageDriver, const std::vector<std::string>& pieces)
{
    DbfBuilder builder(0x03);
    builder.languageDriver(languageDriver);
    for (const auto& name : columns)
        builder.column(name, name == "MAXALUM" ? 'N' : 'C', 8);
    std::size_t next = 0;
    while (next < pieces.size()) {
        std::string record;
        for (const auto& name : columns) {
            if (name == "MAXALUM")
                record += rightAligned(std::to_string(next % 50), 8);
            else
                record += padded(next < pieces.size() ? pieces[next++] : "x", 8);
        }
        builder.record(record);
    }
    return builder.build();
}

// Every byte from 0x20 to 0xFF, and tab, line feed and carriage return, in pieces of eight: each
// byte below 0x80 beside one above, so that both halves go through the code page's table, and a few
// pieces of ASCII alone. In a double-byte code page, pairs and stray bytes drawn at random as well.
std::vector<std::string> bytePieces(bool doubleByte, std::uint64_t seed)
{
    std::string all = "\t\x80\n\x81\r\x82 Az\t\n\r\"&<>'";
    for (int b = 0x20; b < 0x80; ++b) {
        all += static_cast<char>(b);
        all += static_cast<char>(b + 0x80);
    }
    if (doubleByte) {
        std::mt19937_64 random(seed);
        for (int i = 0; i < 600; ++i)
            all += static_cast<char>(0x20 + random() % 0xE0);
    }
    std::vector<std::string> pieces;
    for (std::size_t i = 0; i < all.size(); i += 8)
        pieces.push_back(all.substr(i, 8));
    return pieces;
}

// Six tables, each in the code page of its language driver.
SchoolFiles codePageSchool(const std::array<std::uint8_t, 6>& drivers, const std::array<bool, 6>& doubleByte)
{
    SchoolFiles files;
    std::size_t i = 0;
    for (const auto& [table, columns] : ReadColumns) {
        files[table] = textTable(columns, drivers[i], bytePieces(doubleByte[i], 1000 + i));
        ++i;
    }
    return files;
}

// ---- values of every kind

// A number's text right-aligned in its column, cut to the width when longer.
std::string fit(const std::string& text, std::size_t width)
{
    return text.size() > width ? text.substr(0, width) : rightAligned(text, width);
}

std::string numericText(std::mt19937_64& random)
{
    static const char* const odd[] = {"0", "-0", "0.1", "1e-5", "1.5E-7", "-0.75", "2.5", "1,5", "  .5", "5.", "1.E+3",
        "999999999999999", "1234567890123456", "1e15", "1e16", "-1e-4", "0.0001", "0.00001", "***", "12x", "", "+7",
        "3.14159265358979323846", "0.333333333333333333", "-999999999999999.9"};
    const auto pick = random() % 4;
    if (pick == 0)
        return odd[random() % std::size(odd)];
    if (pick == 1)
        return std::to_string(static_cast<std::int64_t>(random() % 2000001) - 1000000);
    std::string text = (random() % 3 == 0) ? "-" : "";
    text += std::to_string(random() % 100000);
    text += '.';
    text += std::to_string(random() % 1000000);
    if (pick == 3)
        text += "E" + std::to_string(static_cast<int>(random() % 41) - 20);
    return text;
}

// A double from random bits: every exponent, and the digits that only a full conversion gets right.
double randomDouble(std::mt19937_64& random)
{
    const auto bits = random();
    switch (random() % 4) {
    case 0:
        return std::bit_cast<double>(bits);
    case 1:
        return static_cast<double>(static_cast<std::int64_t>(bits % 2000001) - 1000000) / 1000.0;
    case 2:
        return static_cast<double>(static_cast<std::int64_t>(bits >> 11)) * 1e-3;
    default:
        return static_cast<double>(static_cast<std::int64_t>(bits % 200001) - 100000) / 7.0;
    }
}

std::string dateText(std::mt19937_64& random)
{
    static const char* const odd[] = {"        ", "00000000", "20240230", "20241301", "2024051 ", "abcdefgh"};
    if (random() % 5 == 0)
        return odd[random() % std::size(odd)];
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", static_cast<int>(1 + random() % 9999),
        static_cast<int>(1 + random() % 12), static_cast<int>(1 + random() % 28));
    return text;
}

// Visual FoxPro Asig.DBF: doubles, currency, date-times, integers, dates and logicals.
std::string valuesAsig(std::mt19937_64& random)
{
    DbfBuilder table(0x30);
    table.languageDriver(0x03)
        .column("ASIG", 'C', 4)
        .column("AULA0", 'B', 8)
        .column("AULA1", 'Y', 8)
        .column("AULA2", 'T', 8)
        .column("AULA3", 'I', 4)
        .column("AULA4", 'D', 8)
        .column("EDIFICIO", 'L', 1)
        .column("GRUP", 'C', 4)
        .column("NALUM", 'N', 5)
        .column("PROF", 'C', 4)
        .column("TIPO", 'C', 1)
        .column("NHORAS", 'N', 12, 3)
        .afterTerminator(std::string(263, '\0'));
    static const char logicals[] = "TtFfYyNn? x";
    for (int row = 0; row < 250; ++row) {
        const auto currency = random() % 3 == 0 ? random() : random() % 2000000 - 1000000;
        std::uint32_t day = static_cast<std::uint32_t>(1721426 + random() % 3652059);
        std::uint32_t milliseconds = static_cast<std::uint32_t>(random() % 86400000);
        if (row % 7 == 0)
            milliseconds = static_cast<std::uint32_t>(random() % 1000); // midnight, fractions aside
        if (row % 11 == 0)
            day = 0;
        table.record(padded("A" + std::to_string(row), 4) + le64(std::bit_cast<std::uint64_t>(randomDouble(random)))
            + le64(currency) + le32(day) + le32(milliseconds) + le32(static_cast<std::uint32_t>(random()))
            + dateText(random) + logicals[random() % (sizeof logicals - 1)] + "G1  " + fit(numericText(random), 5)
            + "P1  " + "O" + fit(numericText(random), 12));
    }
    return table.build();
}

// dBase III NOMASG.DBF with its names in a memo file, and numeric texts of every form.
std::pair<std::string, std::string> valuesNomasg(std::mt19937_64& random)
{
    DbfBuilder table(0x83);
    table.languageDriver(0x02).column("ABREV", 'C', 4).column("NOMBRE", 'M', 10).column("ACTIV", 'N', 20, 5);
    std::vector<std::string> memos;
    for (int row = 0; row < 120; ++row) {
        std::string reference(10, ' ');
        if (row % 9 != 0) {
            // Lengths around the 512-byte blocks; ñ and á of code page 850 among the letters.
            static const std::size_t lengths[] = {1, 20, 33, 510, 511, 512, 513, 1100};
            std::string memo;
            const std::size_t length = lengths[random() % std::size(lengths)];
            for (std::size_t i = 0; i < length; ++i)
                memo += "abc \xA4\xA0\r\n"[random() % 8];
            std::size_t block = 1;
            for (const auto& earlier : memos)
                block += (earlier.size() + 2 + 511) / 512;
            reference = rightAligned(std::to_string(block), 10);
            memos.push_back(memo);
        }
        table.record(padded("M" + std::to_string(row), 4) + reference + fit(numericText(random), 20));
    }
    return {table.build(), dbt3(memos)};
}

// dBase 7 PROF.DBF: ordered doubles and time stamps.
std::string valuesProf(std::mt19937_64& random)
{
    DbfBuilder table(0x04);
    table.driverName("DB850ES0").column("ABREV", 'C', 4).column("NOMBRE", 'O', 8).column("DEPART", '@', 8);
    for (int row = 0; row < 200; ++row) {
        std::uint64_t bits = std::bit_cast<std::uint64_t>(randomDouble(random));
        bits = (bits & 0x8000'0000'0000'0000ull) != 0 ? ~bits : bits | 0x8000'0000'0000'0000ull;
        const double stamp = 86400000.0 * static_cast<double>(1 + random() % 3652059)
            + static_cast<double>(row % 5 == 0 ? 0 : random() % 86400000);
        table.record(padded("P" + std::to_string(row), 4) + dbase::testing::be64(bits)
            + dbase::testing::be64(std::bit_cast<std::uint64_t>(stamp)));
    }
    return table.build();
}

// GRUP.DBF: MAXALUM values that round to even, and texts with blanks and NULs.
std::string valuesGrup(std::mt19937_64& random)
{
    DbfBuilder table(0x03);
    table.languageDriver(0x02)
        .column("ABREV", 'C', 4)
        .column("CURSO", 'C', 3)
        .column("GRUPO", 'C', 1)
        .column("MAXALUM", 'N', 14, 2)
        .column("NIVEL", 'C', 5)
        .column("TURNO", 'C', 1)
        .column("DESCRIP", 'C', 12);
    static const char* const maxalum[] = {
        "24.5", "25.5", "-2.5", "-3.5", "0.5", "2147483647.4", "2147483648", "-2147483649", "", "1e3", "99999999999"};
    for (int row = 0; row < 200; ++row) {
        const std::string value = row % 3 == 0
            ? maxalum[random() % std::size(maxalum)]
            : std::to_string(static_cast<int>(random() % 2000) - 1000) + "." + std::to_string(random() % 100);
        table.record(padded(std::to_string(row), 4) + " 1 " + "A" + fit(value, 14) + "ESO  " + "M"
            + padded(std::string(" lead\0tail", row % 2 == 0 ? 5 : 10), 12));
    }
    return table.build();
}

// Visual FoxPro AULA.DBF: a varchar name, a nullable building and currency MAXALUM.
std::string valuesAula(std::mt19937_64& random)
{
    DbfBuilder table(0x32);
    table.languageDriver(0x03)
        .column("ABREV", 'C', 4)
        .column("NOMBRE", 'V', 12)
        .column("EDIFICIO", 'C', 1, 0, 0x02)
        .column("MAXALUM", 'Y', 8)
        .column("_NullFlags", '0', 1, 0, 0x05)
        .afterTerminator(std::string(263, '\0'));
    for (int row = 0; row < 200; ++row) {
        // Bit 0: NOMBRE holds its length in its last byte; bit 1: EDIFICIO is null.
        const auto length = static_cast<unsigned>(random() % 13);
        std::string name;
        for (unsigned i = 0; i < std::min(length, 11u); ++i)
            name += "Aula \xE1\xF1"[random() % 7];
        const bool full = length == 12;
        const std::string nombre
            = full ? padded("Sala de actos", 12) : padded(name, 11, '\0') + static_cast<char>(length);
        const bool nullBuilding = random() % 4 == 0;
        const auto flags = static_cast<char>((full ? 0 : 1) | (nullBuilding ? 2 : 0));
        const auto scaled = static_cast<std::int64_t>(random() % 2000001) - 1000000;
        table.record(padded(std::to_string(row), 4) + nombre + "B" + le64(static_cast<std::uint64_t>(scaled)) + flags);
    }
    return table.build();
}

// SOLUC.DBF: numbers with decimals, dates and logicals where texts usually are.
std::string valuesSoluc(std::mt19937_64& random)
{
    DbfBuilder table(0x03);
    table.languageDriver(0x02)
        .column("ASIG", 'C', 4)
        .column("AULA", 'C', 4)
        .column("CODGRUPO", 'C', 4)
        .column("CURSO", 'C', 3)
        .column("DIA", 'N', 3)
        .column("GRUPO", 'C', 1)
        .column("HORA", 'N', 10, 4)
        .column("NIVEL", 'D', 8)
        .column("PROF", 'L', 1)
        .column("SESIONES", 'N', 20, 5)
        .column("TAREA", 'C', 10)
        .column("TURNO", 'C', 1);
    for (int row = 0; row < 300; ++row) {
        table.record("MAT1" + padded(std::to_string(row % 40), 4) + "1EA " + "1  "
            + rightAligned(std::to_string(random() % 1000), 3) + "A" + fit(numericText(random), 10) + dateText(random)
            + "TF?"[random() % 3] + fit(numericText(random), 20) + padded(row % 4 == 0 ? "  Clase" : "Clase de", 10)
            + "M");
    }
    return table.build();
}

SchoolFiles valuesSchool()
{
    std::mt19937_64 random(20251208);
    SchoolFiles files;
    files["datos/Asig.DBF"] = valuesAsig(random);
    auto [nomasg, memo] = valuesNomasg(random);
    files["datos/NOMASG.DBF"] = nomasg;
    files["datos/NOMASG.DBT"] = memo;
    files["datos/PROF.DBF"] = valuesProf(random);
    files["datos/GRUP.DBF"] = valuesGrup(random);
    files["datos/AULA.DBF"] = valuesAula(random);
    files["mtemp/SOLUC.DBF"] = valuesSoluc(random);
    return files;
}

// ---- the cases

struct GoldenCase
{
    const char* name;
    std::function<void(const TempDir&)> prepare; // fills dir/datos and dir/mtemp
    platform::RegionalSettings settings;
};

void PrintTo(const GoldenCase& c, std::ostream* os)
{
    *os << c.name;
}

std::function<void(const TempDir&)> copyFolders(const fs::path& datos, const fs::path& mtemp)
{
    return [datos, mtemp](const TempDir& dir) {
        fs::copy(datos, dir / "datos", fs::copy_options::recursive);
        fs::remove_all(dir / "datos" / "mtemp");
        fs::create_directories(dir / "mtemp");
        fs::copy(mtemp, dir / "mtemp", fs::copy_options::recursive);
    };
}

std::function<void(const TempDir&)> writeFiles(std::function<SchoolFiles()> make)
{
    return [make](const TempDir& dir) {
        fs::create_directories(dir / "datos");
        fs::create_directories(dir / "mtemp");
        for (const auto& [name, bytes] : make())
            test::writeFile(dir / name, bytes);
    };
}

std::vector<GoldenCase> goldenCases()
{
    const fs::path sample = EDUCA_SAMPLE_DIR;
    return {
        {"sample", copyFolders(sample / "datos", sample / "mtemp"), cLocaleSettings()},
        {"school", copyFolders(test::fixture("school"), test::fixture("school/mtemp")), test::spanishSettings()},
        {"empty", copyFolders(test::fixture("empty"), test::fixture("empty")), test::spanishSettings()},
        // 437, 850, 1252, 1251, 866 and 932 (double-byte).
        {"code_pages_1", writeFiles([] {
             return codePageSchool({0x01, 0x02, 0x03, 0xC9, 0x26, 0x13}, {false, false, false, false, false, true});
         }),
            test::spanishSettings()},
        // 1250, 852, 857, 1253, 737 and 949 (double-byte).
        {"code_pages_2", writeFiles([] {
             return codePageSchool({0xC8, 0x64, 0x6B, 0xCB, 0x6A, 0x4E}, {false, false, false, false, false, true});
         }),
            test::spanishSettings()},
        {"values", writeFiles(valuesSchool), wordySettings()},
    };
}

class GoldenDocumentTest : public ::testing::TestWithParam<GoldenCase>
{
};

TEST_P(GoldenDocumentTest, exportGivesTheGoldenDocument)
{
    const auto& c = GetParam();
    TempDir dir;
    c.prepare(dir);
    fs::create_directories(dir / "out");
    platform::setRegionalSettings(c.settings);

    timetable::TimetableTables tables;
    tables.wwTableSoluc.setDatabaseName((dir / "mtemp").string());
    ExportOptions options;
    options.dataDirectory = (dir / "datos").string() + "/";
    options.clock = test::fixedMoment;
    exportDocument(tables, dir / "out" / "educa.xml", options);
    EXPECT_TRUE(golden::matches(std::string(c.name) + ".xml", test::readFile(dir / "out" / "educa.xml")));
}

INSTANTIATE_TEST_SUITE_P(Documents, GoldenDocumentTest, ::testing::ValuesIn(goldenCases()),
    [](const ::testing::TestParamInfo<GoldenCase>& info) { return std::string(info.param.name); });

// Every character that an attribute can carry, in rows of 256 code points, tab, line feed, carriage
// return and the reserved characters among them.
TEST(GoldenEveryCharacter, documentEscapesEveryCharacterAsTheGoldenFile)
{
    platform::setRegionalSettings(test::spanishSettings());
    ExchangeDocument document(test::fixedMoment);
    document.start();
    document.openSection("NOMASIGT");
    auto appendUtf8 = [](std::string& text, char32_t c) {
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else if (c < 0x800) {
            text += static_cast<char>(0xC0 | (c >> 6));
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            text += static_cast<char>(0xE0 | (c >> 12));
            text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            text += static_cast<char>(0xF0 | (c >> 18));
            text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    };
    auto allowed = [](char32_t c) {
        return c == 0x09 || c == 0x0A || c == 0x0D || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
            || c >= 0x10000;
    };
    std::vector<char32_t> characters;
    for (char32_t c = 1; c <= 0xFFFF; ++c) {
        if (allowed(c))
            characters.push_back(c);
    }
    for (char32_t c : {0x10000, 0x1F600, 0x10FFFD, 0x10FFFF})
        characters.push_back(c);
    for (std::size_t i = 0; i < characters.size(); i += 256) {
        std::string text;
        for (std::size_t k = i; k < std::min(characters.size(), i + 256); ++k)
            appendUtf8(text, characters[k]);
        auto row = document.addRow("NOMASIGF");
        row.set("ID", static_cast<std::int32_t>(i / 256 + 1));
        row.set("NOMBRE", text);
    }
    EXPECT_TRUE(golden::matches("every_character.xml", document.toString()));
}

} // namespace
} // namespace exporter
