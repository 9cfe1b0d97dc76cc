// Tables written by python-dbf (fixtures/make_fixtures.py); expectations cross-checked with dbfread.

#include "dbase/error.h"
#include "dbase/table.h"
#include "platform/text.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <map>

namespace dbase {
namespace {

const std::filesystem::path Fixtures = DBASE_FIXTURE_DIR;

std::unique_ptr<Table> openFixture(std::string_view name)
{
    return Table::open(Fixtures, name, OpenMode::ReadOnly);
}

std::size_t columnIndex(const Table& table, std::string_view name)
{
    const auto& columns = table.columns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].name == name)
            return i;
    }
    ADD_FAILURE() << "no column " << name;
    return 0;
}

// All live rows, each as column name -> value.
std::vector<std::map<std::string, Value>> readAll(Table& table)
{
    std::vector<std::map<std::string, Value>> rows;
    table.rewind();
    while (table.fetchNext()) {
        std::map<std::string, Value> row;
        for (std::size_t i = 0; i < table.columns().size(); ++i)
            row[table.columns()[i].name] = table.value(i);
        rows.push_back(std::move(row));
    }
    return rows;
}

Value text(const char* s)
{
    return Value(std::string(s));
}

TEST(Db3Fixture, readsLiveRowsWithTheirValues)
{
    auto table = openFixture("db3_850.dbf");
    EXPECT_EQ(table->format(), Format::DBase3);
    EXPECT_EQ(table->languageDriverCodePage(), 850);
    EXPECT_EQ(table->codePage(), 850);
    ASSERT_EQ(table->columns().size(), 7u);
    EXPECT_EQ(table->columns()[1].name, "NOMBRE");
    EXPECT_EQ(table->columns()[1].kind, FieldKind::Character);
    EXPECT_EQ(table->columns()[1].length, 40u);
    EXPECT_EQ(table->columns()[2].kind, FieldKind::Float);
    EXPECT_EQ(table->columns()[6].kind, FieldKind::Memo);

    const auto rows = readAll(*table);
    ASSERT_EQ(rows.size(), 4u); // the row marked deleted is left out
    EXPECT_EQ(rows[0].at("ABREV"), text("MAT"));
    EXPECT_EQ(rows[0].at("NOMBRE"), text("Matemáticas Ñandú"));
    EXPECT_EQ(rows[0].at("MAXALUM"), Value(25.0));
    EXPECT_EQ(rows[0].at("ACTIV"), Value(2.5));
    EXPECT_EQ(rows[0].at("ALTA"), Value(Date {2024, 5, 17}));
    EXPECT_EQ(rows[0].at("ACTIVO"), Value(true));
    EXPECT_EQ(rows[0].at("NOTAS"), text("Nota de Peña"));

    EXPECT_EQ(rows[1].at("ABREV"), text("*"));
    EXPECT_EQ(rows[1].at("NOMBRE"), text("José María"));
    EXPECT_EQ(rows[1].at("MAXALUM"), Value(-3.0));
    EXPECT_EQ(rows[1].at("ACTIV"), Value(-0.75));
    EXPECT_EQ(rows[1].at("ACTIVO"), Value(false));
    std::string longMemo;
    for (int i = 0; i < 14; ++i)
        longMemo += "Línea de memo con acentos: áéíóú ÁÉÍÓÚ ñ Ñ ü. ";
    EXPECT_EQ(rows[1].at("NOTAS"), Value(longMemo));

    for (const auto& [name, value] : rows[2])
        EXPECT_TRUE(isBlank(value)) << name;

    EXPECT_EQ(rows[3].at("ABREV"), text("*"));
    EXPECT_EQ(rows[3].at("NOMBRE"), text("Último"));
    EXPECT_EQ(rows[3].at("ACTIV"), Value(1234567.89));
    EXPECT_TRUE(isBlank(rows[3].at("ALTA")));
    EXPECT_TRUE(isBlank(rows[3].at("ACTIVO"))); // written as '?'
    EXPECT_TRUE(isBlank(rows[3].at("NOTAS"))); // an empty memo
}

TEST(ClipperFixture, readsCharacterColumnLongerThan255)
{
    auto table = openFixture("clp_1252.dbf");
    ASSERT_EQ(table->columns().size(), 3u);
    EXPECT_EQ(table->columns()[0].length, 300u);
    EXPECT_EQ(table->columns()[1].offset, 301u);
    EXPECT_EQ(table->codePage(), 1252);
    const auto rows = readAll(*table);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].at("LARGO"), Value("Año " + std::string(290, 'x') + " fin"));
    EXPECT_EQ(rows[0].at("CURSO"), text("1º"));
    EXPECT_EQ(rows[0].at("N"), Value(7.0));
    EXPECT_EQ(rows[1].at("LARGO"), text("corto"));
}

TEST(FoxProFixture, readsFptMemosAndBlobs)
{
    auto table = openFixture("fp_850.dbf");
    EXPECT_EQ(table->format(), Format::FoxPro);
    EXPECT_EQ(table->codePage(), 850);
    EXPECT_EQ(table->columns()[4].kind, FieldKind::Blob);
    const auto rows = readAll(*table);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].at("NOMBRE"), text("Señor Ñu"));
    EXPECT_EQ(rows[0].at("NOTAS"), text("Memo en FoxPro: año"));
    EXPECT_EQ(rows[0].at("PRECIO"), Value(12.5));
    EXPECT_EQ(rows[0].at("OK"), Value(true));
    EXPECT_EQ(rows[0].at("FOTO"), Value(std::string("\x00\x01\x02\xff", 4))); // bytes, not recoded
    EXPECT_EQ(rows[1].at("NOMBRE"), text("vacío"));
    EXPECT_TRUE(isBlank(rows[1].at("NOTAS")));
    EXPECT_TRUE(isBlank(rows[1].at("PRECIO")));
    EXPECT_TRUE(isBlank(rows[1].at("OK")));
    EXPECT_TRUE(isBlank(rows[1].at("FOTO")));
}

TEST(VisualFoxProFixture, readsBinaryTypesAndNulls)
{
    auto table = openFixture("vfp_1252.dbf");
    EXPECT_EQ(table->format(), Format::VisualFoxPro);
    EXPECT_EQ(table->codePage(), 1252);
    // _NullFlags is hidden.
    ASSERT_EQ(table->columns().size(), 8u);
    for (const Column& column : table->columns())
        EXPECT_NE(column.name, "_NULLFLAGS");
    EXPECT_EQ(table->columns()[columnIndex(*table, "N")].kind, FieldKind::Integer);
    EXPECT_EQ(table->columns()[columnIndex(*table, "PRECIO")].kind, FieldKind::Decimal);
    EXPECT_EQ(table->columns()[columnIndex(*table, "MOMENTO")].kind, FieldKind::DateTime);
    EXPECT_EQ(table->columns()[columnIndex(*table, "PESO")].kind, FieldKind::Float);

    const auto rows = readAll(*table);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].at("NOMBRE"), text("Peña"));
    EXPECT_EQ(rows[0].at("NOTAS"), text("memo ñ"));
    EXPECT_EQ(rows[0].at("FECHA"), Value(Date {2020, 1, 2}));
    EXPECT_EQ(rows[0].at("CANT"), Value(10.0));
    EXPECT_EQ(rows[0].at("N"), Value(std::int32_t {5}));
    EXPECT_EQ(rows[0].at("PRECIO"), Value(Decimal {125000}));
    EXPECT_EQ(rows[0].at("MOMENTO"), Value(DateTime {{2024, 5, 17}, {13, 45, 30, 0}}));
    EXPECT_EQ(rows[0].at("PESO"), Value(2.5));

    EXPECT_TRUE(isBlank(rows[1].at("NOMBRE")));
    EXPECT_TRUE(isBlank(rows[1].at("NOTAS")));
    EXPECT_TRUE(isBlank(rows[1].at("FECHA")));
    EXPECT_TRUE(isBlank(rows[1].at("CANT")));
    EXPECT_EQ(rows[1].at("N"), Value(std::int32_t {-7}));
    EXPECT_EQ(rows[1].at("PRECIO"), Value(Decimal {-32500}));
    EXPECT_TRUE(isBlank(rows[1].at("MOMENTO")));
    EXPECT_EQ(rows[1].at("PESO"), Value(-0.5));
}

// The file found is the one on disk. Windows ignores the case of names itself and gives the name back
// as it was asked; elsewhere it comes back spelled as on disk.
void expectFileName(const std::filesystem::path& found, const std::string& onDisk)
{
#ifdef _WIN32
    EXPECT_TRUE(platform::equalsIgnoreCase(found.filename().string(), onDisk)) << found;
    EXPECT_TRUE(std::filesystem::is_regular_file(found)) << found;
#else
    EXPECT_EQ(found.filename(), onDisk);
#endif
}

TEST(FileNameCase, findsLowerCaseTableAndMemo)
{
    auto table = openFixture("MINUS.DBF");
    expectFileName(table->path(), "minus.dbf");
    const auto rows = readAll(*table);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].at("TEXTO"), text("primer memo"));
}

TEST(FileNameCase, findsMemoWhoseCaseDiffersFromTheTable)
{
    auto table = openFixture("asig.dbf");
    expectFileName(table->path(), "Asig.DBF");
    const auto rows = readAll(*table);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("ASIG"), text("LENGUA"));
    EXPECT_EQ(rows[0].at("NHORAS"), Value(4.0));
    EXPECT_EQ(rows[0].at("OBS"), text("Observación"));
}

TEST(FileNameCase, nameWithoutExtensionMeansDbf)
{
    auto table = openFixture("MINUS");
    expectFileName(table->path(), "minus.dbf");
}

} // namespace
} // namespace dbase
