// Tables built byte by byte: the layouts no free writer makes, and broken files.

#include "dbase/error.h"
#include "dbase/memo_file.h"
#include "dbase/messages.h"
#include "dbase/table.h"
#include "dbase/table_layout.h"
#include "dbf_builder.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "support/environment.h"

#include <bit>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <random>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace dbase {
namespace {

using namespace dbase::testing;

std::string orderedDouble(double value)
{
    std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    bits = value >= 0 ? bits | 0x8000'0000'0000'0000ull : ~bits;
    return be64(bits);
}

Value text(const std::string& s)
{
    return Value(s);
}

class TableBytes : public ::testing::Test
{
protected:
    std::unique_ptr<Table> open(std::string_view name, OpenMode mode = OpenMode::ReadOnly)
    {
        return Table::open(m_dir.path(), name, mode);
    }

    // The error that opening gives; fails the test when opening succeeds.
    Error openError(std::string_view name, OpenMode mode = OpenMode::ReadOnly)
    {
        try {
            open(name, mode);
        } catch (const Error& error) {
            return error;
        }
        ADD_FAILURE() << "opening " << name << " did not fail";
        return Error(0, "", "");
    }

    // Every live row's values.
    static std::vector<std::vector<Value>> readAll(Table& table)
    {
        std::vector<std::vector<Value>> rows;
        table.rewind();
        while (table.fetchNext()) {
            std::vector<Value> row;
            for (std::size_t i = 0; i < table.columns().size(); ++i)
                row.push_back(table.value(i));
            rows.push_back(std::move(row));
        }
        return rows;
    }

    std::string pathOf(std::string_view name) const { return platform::pathText(m_dir / name); }

    TempDir m_dir;
};

void expectError(const Error& error, std::uint16_t code, const char* message, const std::string& context)
{
    EXPECT_EQ(error.code(), code);
    ASSERT_EQ(error.entries().size(), 1u);
    EXPECT_EQ(error.entries()[0].message, message);
    EXPECT_EQ(error.entries()[0].context, context);
}

// A small dBase III table with a memo: the base for several tests.
std::string smallTable(std::uint8_t version = 0x83)
{
    return DbfBuilder(version)
        .languageDriver(0x02)
        .column("ABREV", 'C', 4)
        .column("MAXALUM", 'N', 5)
        .column("NOTAS", 'M', 10)
        .record("MAT " + rightAligned("25", 5) + rightAligned("1", 10))
        .record("LEN " + rightAligned("30", 5) + rightAligned("2", 10))
        .build();
}

// ---- layouts

TEST_F(TableBytes, readsDBase4MemoWithBlockHeaders)
{
    const std::string longText(700, '\xA4'); // ñ in code page 850, over two blocks
    for (std::uint16_t blockSize : {512, 64, 1024}) {
        SCOPED_TRACE(blockSize);
        const std::uint32_t first = blockSize < 512 ? 512 / blockSize : 1;
        const std::uint32_t second = first + (5 + 8 + blockSize - 1) / blockSize;
        m_dir.write("PROF.DBF",
            DbfBuilder(0x8B)
                .languageDriver(0x14)
                .column("CLAVE", 'C', 4)
                .column("NOTAS", 'M', 10)
                .record("A   " + rightAligned(std::to_string(first), 10))
                .record("B   " + rightAligned(std::to_string(second), 10))
                .record("C   " + std::string(10, ' '))
                .build());
        m_dir.write("PROF.DBT", dbt4({"corto", longText}, blockSize));
        auto table = open("PROF.DBF");
        EXPECT_EQ(table->format(), Format::DBase4);
        EXPECT_EQ(table->codePage(), 850);
        const auto rows = readAll(*table);
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_EQ(rows[0][1], text("corto"));
        std::string expected;
        for (int i = 0; i < 700; ++i)
            expected += "ñ";
        EXPECT_EQ(rows[1][1], Value(expected));
        EXPECT_TRUE(isBlank(rows[2][1]));
    }
}

TEST_F(TableBytes, readsDBase7Columns)
{
    m_dir.write("NIVEL7.DBF",
        DbfBuilder(0x04)
            .languageDriver(0x03) // says 1252, but the driver name wins
            .driverName("DB850ES0")
            .column("NOMBRE_DE_LA_COLUMNA_LARGO", 'C', 10)
            .column("CODIGO", 'I', 4)
            .column("AUTO", '+', 4)
            .column("PESO", 'O', 8)
            .column("MOMENTO", '@', 8)
            .afterTerminator(std::string(14, '\0')) // property block
            .record(padded("\xA5"
                           "and\xA3",
                        10)
                + be32(0x8000002A) + be32(0x80000001) + orderedDouble(9.0) + be64(0x42CC418BA99A0000ull))
            .record(
                padded("borrada", 10) + be32(0x80000002) + be32(0x80000002) + orderedDouble(1.0) + std::string(8, '\0'),
                '*')
            .record(std::string(10, ' ') + std::string(4, '\0') + std::string(4, '\0') + std::string(8, '\0')
                + std::string(8, '\0'))
            .record(padded("x", 10) + be32(0x7FFFFFFF) + be32(0x80000003) + orderedDouble(-2.5)
                + be64(std::bit_cast<std::uint64_t>(62135683200000.0 + 86400000.0 + 3600000.0)))
            .build());
    auto table = open("NIVEL7.DBF");
    EXPECT_EQ(table->format(), Format::DBase7);
    EXPECT_EQ(table->languageDriverCodePage(), 850);
    ASSERT_EQ(table->columns().size(), 5u);
    EXPECT_EQ(table->columns()[0].name, "NOMBRE_DE_LA_COLUMNA_LARGO");
    EXPECT_EQ(table->columns()[1].kind, FieldKind::Integer);
    EXPECT_EQ(table->columns()[2].kind, FieldKind::Integer);
    EXPECT_EQ(table->columns()[3].kind, FieldKind::Float);
    EXPECT_EQ(table->columns()[4].kind, FieldKind::DateTime);
    EXPECT_EQ(table->columns()[4].offset, 27u);

    const auto rows = readAll(*table);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0], text("Ñandú"));
    EXPECT_EQ(rows[0][1], Value(std::int32_t {42}));
    EXPECT_EQ(rows[0][2], Value(std::int32_t {1}));
    EXPECT_EQ(rows[0][3], Value(9.0));
    EXPECT_EQ(rows[0][4], Value(DateTime {{1970, 1, 1}, {0, 0, 0, 0}}));
    for (const Value& v : rows[1])
        EXPECT_TRUE(isBlank(v));
    EXPECT_EQ(rows[2][1], Value(std::int32_t {-1}));
    EXPECT_EQ(rows[2][3], Value(-2.5));
    EXPECT_EQ(rows[2][4], Value(DateTime {{1970, 1, 2}, {1, 0, 0, 0}}));
}

TEST_F(TableBytes, readsVisualFoxProVarcharWithNullFlags)
{
    // Bits: NOMBRE length 0 and null 1, DATOS length 2, CIUDAD null 3.
    m_dir.write("VARIOS.DBF",
        DbfBuilder(0x32)
            .languageDriver(0x03)
            .column("NOMBRE", 'V', 10, 0, 0x02)
            .column("DATOS", 'Q', 6)
            .column("CIUDAD", 'C', 5, 0, 0x02)
            .column("_NullFlags", '0', 1, 0, 0x05)
            .afterTerminator(std::string(263, '\0')) // backlink
            .record(padded("hola", 9, '\0') + '\x04' + padded("\x01\x02", 5, '\0') + '\x02' + "Soria" + '\x05')
            .record("abcdefghij" + std::string(6, '\xFF') + "\xC1vila" + '\x00')
            .record(padded("xx", 9, '\0') + '\x02' + std::string(6, '\0') + "Leon " + '\x0E')
            // Damaged: a length byte as large as the column, which leaves no room for itself.
            .record(padded("diez", 9, '\0') + '\x0A' + "\x01\x02\x03\x04\x05\x06" + "Soria" + '\x05')
            .build());
    auto table = open("VARIOS.DBF");
    EXPECT_EQ(table->format(), Format::VisualFoxPro);
    ASSERT_EQ(table->columns().size(), 3u);
    EXPECT_EQ(table->columns()[0].kind, FieldKind::Character);
    EXPECT_EQ(table->columns()[1].kind, FieldKind::Blob);
    const auto rows = readAll(*table);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0][0], text("hola"));
    EXPECT_EQ(rows[0][1], text("\x01\x02"));
    EXPECT_EQ(rows[0][2], text("Soria"));
    EXPECT_EQ(rows[1][0], text("abcdefghij"));
    EXPECT_EQ(rows[1][1], text(std::string(6, '\xFF')));
    EXPECT_EQ(rows[1][2], text("Ávila"));
    // Null bits win over the bytes; a zero data length is an empty value.
    EXPECT_TRUE(isBlank(rows[2][0]));
    EXPECT_TRUE(isBlank(rows[2][1]));
    EXPECT_TRUE(isBlank(rows[2][2]));
    // A length byte beyond the data gives the data bytes only, never the length byte itself.
    EXPECT_EQ(rows[3][0], text(std::string("diez\0\0\0\0\0", 9)));
    EXPECT_EQ(rows[3][1], text("\x01\x02\x03\x04\x05"));

    // Damaged: nine nullable columns need two bytes of flags; the one byte there holds the first
    // eight, and the byte after it (past the column) must not be taken for the ninth bit.
    DbfBuilder shortFlags(0x30);
    shortFlags.languageDriver(0x03);
    for (char name = 'A'; name <= 'I'; ++name)
        shortFlags.column(std::string(1, name), 'C', 1, 0, 0x02);
    shortFlags.column("_NullFlags", '0', 1, 0, 0x05)
        .recordLength(12)
        .afterTerminator(std::string(263, '\0'))
        .record("abcdefghi" + std::string("\x00\xFF", 2))
        .record("abcdefghi" + std::string("\xFF\xFF", 2));
    m_dir.write("CORTOS.DBF", shortFlags.build());
    const auto flagged = readAll(*open("CORTOS.DBF"));
    ASSERT_EQ(flagged.size(), 2u);
    EXPECT_EQ(flagged[0][0], text("a"));
    EXPECT_EQ(flagged[0][8], text("i"));
    EXPECT_TRUE(isBlank(flagged[1][7]));
    EXPECT_EQ(flagged[1][8], text("i"));
}

TEST_F(TableBytes, missingTerminatorAndPaddingAfterIt)
{
    m_dir.write("SIN.DBF",
        DbfBuilder(0x03)
            .column("A", 'C', 3)
            .column("B", 'N', 4)
            .terminator(false)
            .record("uno" + rightAligned("1", 4))
            .build());
    // (Not "CON.DBF": CON names the console on Windows.)
    m_dir.write("CONF.DBF",
        DbfBuilder(0x03)
            .column("A", 'C', 3)
            .column("B", 'N', 4)
            .afterTerminator(std::string(1, '\0'))
            .record("dos" + rightAligned("2", 4))
            .build());
    auto without = open("SIN.DBF");
    ASSERT_EQ(without->columns().size(), 2u);
    EXPECT_EQ(readAll(*without), (std::vector<std::vector<Value>> {{text("uno"), Value(1.0)}}));
    auto with = open("CONF.DBF");
    ASSERT_EQ(with->columns().size(), 2u);
    EXPECT_EQ(readAll(*with), (std::vector<std::vector<Value>> {{text("dos"), Value(2.0)}}));
}

TEST_F(TableBytes, recordLongerThanItsColumns)
{
    m_dir.write("LARGO.DBF",
        DbfBuilder(0x03)
            .column("A", 'C', 3)
            .column("B", 'N', 4)
            .recordLength(20)
            .record("uno" + rightAligned("1", 4) + "garbage!!xyz")
            .record("dos" + rightAligned("2", 4) + "************")
            .build());
    auto table = open("LARGO.DBF");
    EXPECT_EQ(
        readAll(*table), (std::vector<std::vector<Value>> {{text("uno"), Value(1.0)}, {text("dos"), Value(2.0)}}));
}

TEST_F(TableBytes, characterValuesKeepLeadingBlanks)
{
    m_dir.write("NOMASG.DBF",
        DbfBuilder(0x03)
            .languageDriver(0x02)
            .column("ABREV", 'C', 4)
            .column("NOMBRE", 'C', 12)
            .record("*   " + padded("  Jos\x82", 12))
            .record(" *  " + padded("", 12))
            .build());
    EXPECT_EQ(readAll(*open("NOMASG.DBF")),
        (std::vector<std::vector<Value>> {{text("*"), text("  José")}, {text(" *"), Value()}}));
}

TEST_F(TableBytes, unknownTypeMakesAnUnreadableColumnOnly)
{
    m_dir.write("RARO.DBF",
        DbfBuilder(0x03)
            .column("A", 'C', 3)
            .column("SIETE", '7', 4)
            .column("FECHA", 'D', 4) // a binary date of another engine
            .column("B", 'N', 2)
            .record("uno" + std::string("\x01\x02\x03\x04", 4) + "abcd" + " 9")
            .build());
    auto table = open("RARO.DBF");
    ASSERT_EQ(table->columns().size(), 4u);
    EXPECT_TRUE(table->columns()[0].readable);
    EXPECT_FALSE(table->columns()[1].readable);
    EXPECT_EQ(table->columns()[1].type, '7');
    EXPECT_FALSE(table->columns()[2].readable);
    EXPECT_TRUE(table->columns()[3].readable);
    const auto rows = readAll(*table);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], text("uno"));
    EXPECT_TRUE(isBlank(rows[0][1]));
    EXPECT_EQ(rows[0][3], Value(9.0));
}

TEST_F(TableBytes, withoutLanguageDriverTextIsInTheOemCodePage)
{
    m_dir.write("OEM.DBF",
        DbfBuilder(0x03)
            .column("A", 'C', 4)
            .record("\xA5"
                    "\x9B  ")
            .build());
    auto table = open("OEM.DBF");
    EXPECT_EQ(table->languageDriverCodePage(), 0);
    EXPECT_EQ(table->codePage(), platform::oemCodePage());
#ifndef _WIN32
    // Elsewhere than on Windows the OEM code page is a setting.
    {
        support::ScopedEnvironment oem("EDUCA_OEM_CP", "850");
        auto table850 = open("OEM.DBF");
        EXPECT_EQ(table850->codePage(), 850);
        EXPECT_EQ(readAll(*table850)[0][0], text("Ñø"));
    }
    support::ScopedEnvironment oem("EDUCA_OEM_CP", "437");
    auto table437 = open("OEM.DBF");
    EXPECT_EQ(table437->codePage(), 437);
    EXPECT_EQ(readAll(*table437)[0][0], text("Ñ¢"));
#endif
}

TEST_F(TableBytes, columnNamesAreConvertedFromTheTableCodePage)
{
    m_dir.write("NOMBRES.DBF", DbfBuilder(0x03).languageDriver(0x02).column("A\xA5O", 'C', 2).record("xy").build());
    EXPECT_EQ(open("NOMBRES.DBF")->columns()[0].name, "AÑO");
}

// ---- rows

TEST_F(TableBytes, recordsPastTheAnnouncedCountAreLeftAlone)
{
    // Writers update the count last: a record after it is not yet part of the table.
    m_dir.write("MENOS.DBF", DbfBuilder(0x03).column("A", 'C', 2).record("aa").record("bb").recordCount(1).build());
    const auto rows = readAll(*open("MENOS.DBF"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], text("aa"));
}

// Tables that hold fewer rows than their header announces fail, at open or at the row where the
// end-of-file mark stands, naming the file; the rows before the mark are read.
TEST_F(TableBytes, tablesCutShortFailWithTheCounts)
{
    struct CutCase
    {
        const char* name;
        std::string bytes;
        std::size_t rowsBeforeTheFailure; // npos: opening fails
        const char* message;
    };
    auto three = [] { return DbfBuilder(0x03).column("A", 'C', 6).record("uno").record("dos").record("tres"); };
    std::string partial = three().trailer("").build();
    partial.resize(partial.size() - 3);
    const CutCase cases[] = {
        {"countAboveTheRecords", three().recordCount(10).build(), std::string::npos,
            "La tabla está incompleta: la cabecera anuncia 10 filas y el archivo contiene 3 filas"},
        {"countOfAllOnes", three().recordCount(0xFFFFFFFFu).build(), std::string::npos,
            "La tabla está incompleta: la cabecera anuncia 4294967295 filas y el archivo contiene 3 filas"},
        {"lastRecordCutShort", partial, std::string::npos,
            "La tabla está incompleta: la cabecera anuncia 3 filas y el archivo contiene 2 filas"},
        {"oneRowAnnouncedNoneThere", DbfBuilder(0x03).column("A", 'C', 6).recordCount(1).build(), std::string::npos,
            "La tabla está incompleta: la cabecera anuncia 1 fila y el archivo contiene 0 filas"},
        {"endMarkAtARecordStart",
            DbfBuilder(0x03).column("A", 'C', 3).record("uno").record("xyz", '\x1A').record("tre").build(), 1,
            "La tabla está incompleta: la cabecera anuncia 3 filas y el archivo contiene 1 fila"},
        {"endMarkAtTheFirstRecord", DbfBuilder(0x03).column("A", 'C', 3).record("uno", '\x1A').build(), 0,
            "La tabla está incompleta: la cabecera anuncia 1 fila y el archivo contiene 0 filas"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_dir.write("CORTA.DBF", c.bytes);
        if (c.rowsBeforeTheFailure == std::string::npos) {
            expectError(openError("CORTA.DBF"), TableTruncated, c.message, pathOf("CORTA.DBF"));
            continue;
        }
        auto table = open("CORTA.DBF");
        for (int pass = 0; pass < 2; ++pass) {
            table->rewind();
            for (std::size_t row = 0; row < c.rowsBeforeTheFailure; ++row)
                ASSERT_TRUE(table->fetchNext());
            try {
                table->fetchNext();
                ADD_FAILURE() << "the cut table was read to its end";
            } catch (const Error& error) {
                expectError(error, TableTruncated, c.message, pathOf("CORTA.DBF"));
            }
        }
    }
}

TEST_F(TableBytes, emptyTableHasNoRow)
{
    m_dir.write("VACIA.DBF", DbfBuilder(0x03).column("A", 'C', 3).build());
    auto table = open("VACIA.DBF");
    table->rewind();
    EXPECT_FALSE(table->fetchNext());
    EXPECT_THROW(table->value(0), Error);
}

TEST_F(TableBytes, fetchingWalksLiveRowsAndRewinds)
{
    m_dir.write("T.DBF",
        DbfBuilder(0x03)
            .column("A", 'C', 3)
            .record("b1", '*')
            .record("uno")
            .record("b2", '*')
            .record("dos")
            .record("b3", '*')
            .build());
    auto table = open("T.DBF");
    try {
        table->value(0);
        ADD_FAILURE() << "value before any fetch";
    } catch (const Error& error) {
        EXPECT_EQ(error.code(), NoCurrentRecord);
    }
    EXPECT_THROW(table->value(1), std::out_of_range);
    ASSERT_TRUE(table->fetchNext());
    EXPECT_EQ(table->value(0), text("uno"));
    ASSERT_TRUE(table->fetchNext());
    EXPECT_EQ(table->value(0), text("dos"));
    EXPECT_FALSE(table->fetchNext());
    EXPECT_FALSE(table->fetchNext());
    EXPECT_EQ(table->value(0), text("dos")); // the last row stays current
    table->rewind();
    ASSERT_TRUE(table->fetchNext());
    EXPECT_EQ(table->value(0), text("uno"));
}

// Enough records to need several read blocks, with deleted ones on the block edges.
TEST_F(TableBytes, readsTablesLargerThanOneReadBlock)
{
    DbfBuilder builder(0x03);
    builder.column("N", 'N', 8).column("RELLENO", 'C', 992);
    const int count = 3000;
    for (int i = 0; i < count; ++i)
        builder.record(rightAligned(std::to_string(i), 8) + std::string(992, 'x'), i % 7 == 3 || i == 1047 ? '*' : ' ');
    m_dir.write("GRANDE.DBF", builder.build());
    int live = 0;
    for (int i = 0; i < count; ++i)
        live += i % 7 == 3 || i == 1047 ? 0 : 1;
    auto table = open("GRANDE.DBF");
    for (int pass = 0; pass < 2; ++pass) {
        table->rewind();
        int expected = 0;
        int seen = 0;
        while (table->fetchNext()) {
            while (expected % 7 == 3 || expected == 1047)
                ++expected;
            ASSERT_EQ(table->value(0), Value(static_cast<double>(expected)));
            ++expected;
            ++seen;
        }
        EXPECT_EQ(seen, live);
    }
}

// Around the edges of the read blocks: the last record of a block, the first of the next, deleted
// records on both sides of an edge, a table that ends with a block, and the last live row, which stays
// the current one after the end even when deleted records after it filled a new block.
TEST_F(TableBytes, readBlockEdgesGiveEveryRowOnce)
{
    constexpr unsigned RecordLength = 1000;
    constexpr std::uint64_t PerBlock = detail::ReadBlockBytes / RecordLength;
    struct EdgeCase
    {
        const char* name;
        std::uint64_t count;
        std::vector<std::uint64_t> deleted;
        std::uint64_t deletedFrom = UINT64_MAX; // and every row from here on
    };
    const EdgeCase cases[] = {
        {"twoBlocksAndABit", 2 * PerBlock + 5, {}},
        {"endsWithABlock", 2 * PerBlock, {}},
        {"oneMoreThanABlock", PerBlock + 1, {}},
        {"deletedAcrossAnEdge", 2 * PerBlock + 5, {PerBlock - 2, PerBlock - 1, PerBlock, PerBlock + 1}},
        // The last live row is the last but one of block 1; a whole block of deleted rows follows it.
        {"deletedAfterTheLastLiveRow", 3 * PerBlock, {}, 2 * PerBlock - 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DbfBuilder builder(0x03);
        builder.column("N", 'N', 10).column("RELLENO", 'C', RecordLength - 11);
        std::vector<std::uint64_t> live;
        for (std::uint64_t i = 0; i < c.count; ++i) {
            const bool deleted
                = std::find(c.deleted.begin(), c.deleted.end(), i) != c.deleted.end() || i >= c.deletedFrom;
            builder.record(
                rightAligned(std::to_string(i), 10) + std::string(RecordLength - 11, 'x'), deleted ? '*' : ' ');
            if (!deleted)
                live.push_back(i);
        }
        // A record past the announced count, which is not read.
        builder.record(rightAligned("999999", 10) + std::string(RecordLength - 11, 'y'))
            .recordCount(static_cast<std::uint32_t>(c.count));
        m_dir.write("BORDES.DBF", builder.build());
        auto table = open("BORDES.DBF");
        for (int pass = 0; pass < 2; ++pass) {
            table->rewind();
            std::size_t seen = 0;
            while (table->fetchNext()) {
                ASSERT_LT(seen, live.size());
                ASSERT_EQ(table->value(0), Value(static_cast<double>(live[seen])));
                ++seen;
            }
            EXPECT_EQ(seen, live.size());
            EXPECT_EQ(table->value(0), Value(static_cast<double>(live.back())));
        }
    }
}

// ---- memo files

TEST_F(TableBytes, missingMemoFileFailsAtOpen)
{
    m_dir.write("PROF.DBF", smallTable());
    expectError(openError("PROF.DBF"), MemoNotFound, messages::MemoNotFound, pathOf("PROF.DBT"));
}

TEST_F(TableBytes, tableWithoutMemoColumnsNeedsNoMemoFile)
{
    m_dir.write("PROF.DBF", DbfBuilder(0x83).column("A", 'C', 2).record("ab").build());
    EXPECT_EQ(readAll(*open("PROF.DBF")).size(), 1u);
}

TEST_F(TableBytes, dbtFileHoldingFoxProDataIsReadAsFoxPro)
{
    m_dir.write("PROF.DBF", smallTable());
    m_dir.write("prof.dbt", fpt({{1, "uno"}, {1, "dos"}}, 512));
    const auto rows = readAll(*open("PROF.DBF"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][2], text("uno"));
    EXPECT_EQ(rows[1][2], text("dos"));
}

// Memos are read through a window of the memo file: memos longer than it, and memos that begin in
// one window and end in the next, come out whole in each of the three memo layouts.
TEST_F(TableBytes, memosAcrossAndBeyondTheReadWindowComeOutWhole)
{
    constexpr std::size_t Window = detail::MemoFile::WindowBytes;
    const std::size_t lengths[] = {Window - 600, 700, 3, 2 * Window + 5, 400, 1, Window, 513};
    std::vector<std::string> memos;
    for (std::size_t i = 0; i < std::size(lengths); ++i) {
        std::string memo(lengths[i], '\0');
        for (std::size_t k = 0; k < memo.size(); ++k)
            memo[k] = k % 97 == 5 ? '\xA4' : static_cast<char>('a' + (i + k) % 26); // \xA4: ñ in code page 850
        memos.push_back(memo);
    }
    struct Layout
    {
        const char* name;
        std::uint8_t version;
        const char* memoFile;
        std::string bytes;
        std::uint64_t firstBlock;
        std::size_t blockSize;
        std::size_t overhead; // bytes each memo takes besides its text
    };
    std::vector<std::pair<std::uint32_t, std::string>> fptMemos;
    for (const auto& memo : memos)
        fptMemos.emplace_back(1, memo);
    const Layout layouts[] = {
        {"dBase III", 0x83, "NOTAS.DBT", dbt3(memos), 1, 512, 2},
        {"dBase IV", 0x8B, "NOTAS.DBT", dbt4(memos), 1, 512, 8},
        {"FoxPro", 0xF5, "NOTAS.FPT", fpt(fptMemos), 8, 64, 8},
    };
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.name);
        std::vector<std::uint64_t> blocks;
        std::uint64_t block = layout.firstBlock;
        for (const auto& memo : memos) {
            blocks.push_back(block);
            block += (memo.size() + layout.overhead + layout.blockSize - 1) / layout.blockSize;
        }
        m_dir.write(layout.memoFile, layout.bytes);
        // Rows in the memos' order, then in the reverse order (every read a jump backwards).
        for (const bool reversed : {false, true}) {
            std::vector<std::size_t> order(memos.size());
            for (std::size_t i = 0; i < order.size(); ++i)
                order[i] = reversed ? order.size() - 1 - i : i;
            DbfBuilder table(layout.version);
            table.languageDriver(0x02).column("NOTA", 'M', 10);
            for (const std::size_t m : order)
                table.record(rightAligned(std::to_string(blocks[m]), 10));
            m_dir.write("NOTAS.DBF", table.build());
            auto opened = open("NOTAS.DBF");
            for (int pass = 0; pass < 2; ++pass) {
                const auto rows = readAll(*opened);
                ASSERT_EQ(rows.size(), memos.size());
                for (std::size_t i = 0; i < memos.size(); ++i)
                    EXPECT_EQ(rows[i][0], text(platform::toUtf8(memos[order[i]], 850))) << "row " << i;
            }
        }
        std::filesystem::remove(m_dir / layout.memoFile);
    }
}

TEST_F(TableBytes, dBase3MemoEndsAtTheFirstEndMark)
{
    m_dir.write("PROF.DBF", smallTable());
    std::string memo = dbt3({"uno"});
    memo.replace(512 + 3, 2,
        "\x1A"
        "X"); // a single 0x1A, then garbage that must not show
    memo += padded("dos\x1A\x1A", 512, '\0');
    m_dir.write("PROF.DBT", memo);
    const auto rows = readAll(*open("PROF.DBF"));
    EXPECT_EQ(rows[0][2], text("uno"));
    EXPECT_EQ(rows[1][2], text("dos"));
}

// Only a text block (type 1) is recoded; a picture (0) or an object (2) keeps its bytes.
TEST_F(TableBytes, foxProPictureAndObjectMemosAreNotRecoded)
{
    m_dir.write("F.DBF",
        DbfBuilder(0xF5)
            .languageDriver(0x03)
            .column("NOTAS", 'M', 10)
            .record(rightAligned("8", 10))
            .record(rightAligned("9", 10))
            .record(rightAligned("10", 10))
            .build());
    m_dir.write("F.FPT", fpt({{1, "\xD1"}, {0, std::string("\xD1\x00\xFF", 3)}, {2, "\xD0\xCF\x11\xE0"}}));
    const auto rows = readAll(*open("F.DBF"));
    EXPECT_EQ(rows[0][0], text("Ñ"));
    EXPECT_EQ(rows[1][0], text(std::string("\xD1\x00\xFF", 3)));
    EXPECT_EQ(rows[2][0], text("\xD0\xCF\x11\xE0"));
}

// Without a copy the engine hands on a value's bytes as the file holds them, with the code page
// they are to be converted from: none for binary columns, blobs and picture memos.
TEST_F(TableBytes, viewsKeepTheBytesWithTheirCodePage)
{
    m_dir.write("V.DBF",
        DbfBuilder(0x30)
            .languageDriver(0x03)
            .column("TEXTO", 'C', 3)
            .column("BINARIO", 'C', 3, 0, 0x04)
            .column("NOTA", 'M', 4)
            .column("FOTO", 'G', 4)
            .column("N", 'N', 4, 1)
            .afterTerminator(std::string(263, '\0'))
            .record("\xD1  " + std::string("\xD1\x01 ") + le32(8) + le32(9) + " 2.5")
            .record("   " + std::string("   ") + le32(9) + le32(0) + "    ")
            .build());
    m_dir.write("V.FPT", fpt({{1, "\xF1"}, {0, "\xFF\xD8"}}));
    auto table = open("V.DBF");
    ASSERT_TRUE(table->fetchNext());
    auto raw = [&](std::size_t column) { return std::get<RawText>(table->view(column)); };
    EXPECT_EQ(raw(0).bytes, "\xD1");
    EXPECT_EQ(raw(0).codePage, 1252);
    EXPECT_EQ(raw(1).bytes, "\xD1\x01");
    EXPECT_EQ(raw(1).codePage, 0);
    EXPECT_EQ(raw(2).bytes, "\xF1");
    EXPECT_EQ(raw(2).codePage, 1252);
    EXPECT_EQ(raw(3).bytes, "\xFF\xD8");
    EXPECT_EQ(raw(3).codePage, 0);
    EXPECT_EQ(std::get<double>(table->view(4)), 2.5);
    ASSERT_TRUE(table->fetchNext());
    EXPECT_TRUE(std::holds_alternative<std::monostate>(table->view(0)));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(table->view(1)));
    // A picture in a memo column is not text: its bytes stay as they are.
    EXPECT_EQ(raw(2).bytes, "\xFF\xD8");
    EXPECT_EQ(raw(2).codePage, 0);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(table->view(3)));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(table->view(4)));
}

TEST_F(TableBytes, brokenMemoGivesCorruptMemo)
{
    m_dir.write("PROF.DBF", smallTable(0x8B));
    struct Case
    {
        const char* what;
        std::string memo;
    };
    std::string lengthPastEnd = dbt4({"uno", "dos"});
    lengthPastEnd.replace(1024 + 4, 4, le32(5000)); // the second memo's
    std::string referencePastEnd = dbt4({"uno"}); // the second row points to block 2
    for (const Case& c :
        {Case {"length past the end", lengthPastEnd}, Case {"reference past the end", referencePastEnd}}) {
        SCOPED_TRACE(c.what);
        m_dir.write("PROF.DBT", c.memo);
        auto table = open("PROF.DBF");
        table->rewind();
        ASSERT_TRUE(table->fetchNext());
        ASSERT_TRUE(table->fetchNext());
        try {
            table->value(2);
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            expectError(error, CorruptMemo, messages::CorruptMemo, pathOf("PROF.DBT"));
        }
    }
}

TEST_F(TableBytes, foxProMemoLengthPastTheEndGivesCorruptMemo)
{
    m_dir.write("F.DBF", DbfBuilder(0xF5).column("NOTAS", 'M', 10).record(rightAligned("8", 10)).build());
    std::string memo = fpt({{1, "uno"}});
    memo.replace(512 + 4, 4, be32(100000));
    m_dir.write("F.FPT", memo);
    auto table = open("F.DBF");
    ASSERT_TRUE(table->fetchNext());
    EXPECT_THROW(table->value(0), Error);
}

TEST_F(TableBytes, emptyMemoFileFailsAtOpen)
{
    m_dir.write("PROF.DBF", smallTable());
    m_dir.write("PROF.DBT", "");
    expectError(openError("PROF.DBF"), CorruptMemo, messages::CorruptMemo, pathOf("PROF.DBT"));
}

// ---- failures at open

TEST_F(TableBytes, missingDirectory)
{
    const auto missing = m_dir / "no_existe";
    try {
        Table::open(missing, "PROF.DBF", OpenMode::ReadOnly);
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        expectError(error, DirectoryNotFound, messages::DirectoryNotFound, missing.string());
    }
}

TEST_F(TableBytes, missingTable)
{
    expectError(openError("PROF.DBF"), TableNotFound, messages::TableNotFound, pathOf("PROF.DBF"));
    expectError(openError("PROF"), TableNotFound, messages::TableNotFound, pathOf("PROF.DBF"));
}

TEST_F(TableBytes, filesThatAreNoTable)
{
    m_dir.write("TEXTO.DBF", "Esto no es una tabla, solo un texto cualquiera que ocupa bastante sitio.");
    m_dir.write("VACIO.DBF", "");
    m_dir.write("CEROS.DBF", std::string(100, '\0').replace(0, 1, "\x03"));
    std::filesystem::create_directory(m_dir / "CARPETA.DBF");
    for (const char* name : {"TEXTO.DBF", "VACIO.DBF", "CEROS.DBF", "CARPETA.DBF"}) {
        SCOPED_TRACE(name);
        expectError(openError(name), NotATable, messages::NotATable, pathOf(name));
    }
}

TEST_F(TableBytes, headerContradictingTheFile)
{
    m_dir.write("CABECERA.DBF",
        DbfBuilder(0x03).column("A", 'C', 3).record("uno").headerByte(8, 0xA0).headerByte(9, 0x0F).build()); // 4000
    expectError(openError("CABECERA.DBF"), CorruptHeader, messages::CorruptHeader, pathOf("CABECERA.DBF"));
    m_dir.write("COLUMNAS.DBF", DbfBuilder(0x03).column("A", 'C', 30).recordLength(10).record("uno").build());
    expectError(openError("COLUMNAS.DBF"), CorruptHeader, messages::CorruptColumns, pathOf("COLUMNAS.DBF"));
}

TEST_F(TableBytes, encryptedTable)
{
    m_dir.write("CIFRADA.DBF", DbfBuilder(0x03).column("A", 'C', 3).record("uno").headerByte(15, 1).build());
    expectError(openError("CIFRADA.DBF"), TableEncrypted, messages::TableEncrypted, pathOf("CIFRADA.DBF"));
}

TEST_F(TableBytes, errorTextJoinsMessageAndContext)
{
    const Error error = openError("PROF.DBF");
    EXPECT_EQ(std::string(error.what()), std::string(messages::TableNotFound) + "\r\n" + pathOf("PROF.DBF"));
}

// Whatever the bytes, the engine answers with values or an engine error: no crash, no read outside
// the file (run under the sanitizers to see the latter).
TEST_F(TableBytes, damagedFilesNeverCrash)
{
    const std::string table = smallTable(0x8B);
    const std::string memo = dbt4({"uno", "dos"});
    auto tryRead = [this](const std::string& tableBytes, const std::string& memoBytes) {
        m_dir.write("PROF.DBF", tableBytes);
        m_dir.write("PROF.DBT", memoBytes);
        try {
            auto t = open("PROF.DBF");
            readAll(*t);
        } catch (const Error&) {
        }
    };
    for (std::size_t size = 0; size <= table.size(); ++size)
        tryRead(table.substr(0, size), memo);
    for (std::size_t size = 0; size <= memo.size(); size += 7)
        tryRead(table, memo.substr(0, size));
    for (std::size_t at = 0; at < table.size(); ++at) {
        for (char b : {'\0', '\xFF', '\x0D', '\x1A', '9'}) {
            std::string damaged = table;
            damaged[at] = b;
            tryRead(damaged, memo);
        }
    }
    for (std::size_t at = 0; at < 600; ++at) {
        std::string damaged = memo;
        damaged[at] = '\xFF';
        tryRead(table, damaged);
    }
}

TEST_F(TableBytes, damagedVisualFoxProAndLevel7FilesNeverCrash)
{
    const std::string vfp
        = DbfBuilder(0x32)
              .column("NOMBRE", 'V', 6, 0, 0x02)
              .column("NOTAS", 'M', 4, 0, 0x02)
              .column("FOTO", 'W', 4)
              .column("MOMENTO", 'T', 8)
              .column("_NullFlags", '0', 1, 0, 0x05)
              .afterTerminator(std::string(263, '\0'))
              .record(padded("ab", 5, '\0') + '\x02' + le32(8) + le32(9) + le32(2460448) + le32(1000) + '\x01')
              .record("abcdef" + le32(0) + le32(0) + std::string(8, '\0') + '\x02')
              .build();
    const std::string memo = fpt({{1, "uno"}, {0, "dos"}});
    const std::string level7
        = DbfBuilder(0x8C)
              .driverName("DB850ES0")
              .column("NOMBRE", 'C', 4)
              .column("N", 'I', 4)
              .column("NOTAS", 'M', 10)
              .column("MOMENTO", '@', 8)
              .record("abcd" + be32(0x80000001) + rightAligned("1", 10) + be64(0x42CC418BA99A0000ull))
              .build();
    const std::string dbt = dbt4({"uno"});
    std::mt19937 random(12345);
    auto tryRead
        = [&](const char* name, const char* memoName, const std::string& tableBytes, const std::string& memoBytes) {
              m_dir.write(name, tableBytes);
              m_dir.write(memoName, memoBytes);
              try {
                  auto t = open(name);
                  readAll(*t);
              } catch (const Error&) {
              }
          };
    for (int round = 0; round < 400; ++round) {
        std::string t1 = vfp;
        std::string m1 = memo;
        std::string t2 = level7;
        std::string m2 = dbt;
        for (int k = 0; k < 3; ++k) {
            t1[random() % t1.size()] = static_cast<char>(random());
            m1[random() % m1.size()] = static_cast<char>(random());
            t2[random() % t2.size()] = static_cast<char>(random());
            m2[random() % m2.size()] = static_cast<char>(random());
        }
        tryRead("VFP.DBF", "VFP.FPT", t1, round % 2 ? memo : m1);
        tryRead("NIVEL7.DBF", "NIVEL7.DBT", t2, round % 2 ? dbt : m2);
    }
}

// ---- open modes

// A table and its memo file whose names go beyond ASCII; a missing memo file is named as it is spelled.
TEST_F(TableBytes, memoFileOfATableNamedBeyondAscii)
{
    m_dir.write("AÑO 2025.DBF", smallTable());
    m_dir.write("AÑO 2025.DBT", dbt3({"uno", "dos"}));
    const auto rows = readAll(*open("AÑO 2025.DBF"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][2], text("dos"));

    m_dir.write("EDUCACIÓN.DBF", smallTable());
    try {
        open("EDUCACIÓN.DBF");
        ADD_FAILURE() << "opened without its memo file";
    } catch (const Error& error) {
        EXPECT_EQ(error.entries().at(0).context, pathOf("EDUCACIÓN.DBT"));
    }
}

TEST_F(TableBytes, readWriteModeNeverWrites)
{
    m_dir.write("PROF.DBF", smallTable());
    m_dir.write("PROF.DBT", dbt3({"uno", "dos"}));
    // Whole seconds: some file systems keep no finer times.
    const auto past = std::chrono::floor<std::chrono::seconds>(
        std::filesystem::file_time_type::clock::now() - std::chrono::hours(48));
    std::filesystem::last_write_time(m_dir / "PROF.DBF", past);
    std::filesystem::last_write_time(m_dir / "PROF.DBT", past);
    const std::string tableBefore = readFile(m_dir / "PROF.DBF");
    const std::string memoBefore = readFile(m_dir / "PROF.DBT");
    {
        auto table = open("PROF.DBF", OpenMode::ReadWrite);
        const auto rows = readAll(*table);
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[1][2], text("dos"));
    }
    EXPECT_EQ(readFile(m_dir / "PROF.DBF"), tableBefore);
    EXPECT_EQ(readFile(m_dir / "PROF.DBT"), memoBefore);
    EXPECT_EQ(std::filesystem::last_write_time(m_dir / "PROF.DBF"), past);
    EXPECT_EQ(std::filesystem::last_write_time(m_dir / "PROF.DBT"), past);
}

#ifndef _WIN32
// Runs check in a child process that has given up root (the superuser is never refused reading or
// writing by permission bits); as an ordinary user, runs it here. Answers check's result, or 20
// when root could not be given up.
int runUnprivileged(const std::function<int()>& check)
{
    if (::geteuid() != 0)
        return check();
    const pid_t child = ::fork();
    if (child < 0)
        return 21;
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(20);
        ::_exit(check());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return 22;
    return WEXITSTATUS(status);
}

// A file that allows only reading: ReadWrite gives ReadOnlyTable, ReadOnly opens it.
TEST_F(TableBytes, readOnlyFileRefusesReadWriteMode)
{
    m_dir.write("SOLO.DBF", DbfBuilder(0x03).column("A", 'C', 3).record("uno").build());
    ::chmod((m_dir / "SOLO.DBF").c_str(), 0444);
    ::chmod(m_dir.path().c_str(), 0755);
    const int result = runUnprivileged([this]() {
        try {
            open("SOLO.DBF", OpenMode::ReadWrite);
            return 10;
        } catch (const Error& error) {
            if (error.code() != ReadOnlyTable || error.entries().at(0).context != pathOf("SOLO.DBF"))
                return 11;
        }
        return readAll(*open("SOLO.DBF", OpenMode::ReadOnly)).size() == 1 ? 0 : 12;
    });
    EXPECT_EQ(result, 0) << "10: opened, 11: other error, 12: read-only open failed, 20-22: no child";
}

// What root sees: permission bits do not stop it, so a 0444 file opens for reading and writing
// (and is still never written).
TEST_F(TableBytes, rootOpensA0444FileForWriting)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "not root";
    m_dir.write("SOLO.DBF", DbfBuilder(0x03).column("A", 'C', 3).record("uno").build());
    ::chmod((m_dir / "SOLO.DBF").c_str(), 0444);
    EXPECT_EQ(readAll(*open("SOLO.DBF", OpenMode::ReadWrite)).size(), 1u);
}

TEST_F(TableBytes, unreadableFileGivesAccessDenied)
{
    m_dir.write("OCULTA.DBF", DbfBuilder(0x03).column("A", 'C', 3).record("uno").build());
    ::chmod((m_dir / "OCULTA.DBF").c_str(), 0);
    ::chmod(m_dir.path().c_str(), 0755);
    for (OpenMode mode : {OpenMode::ReadOnly, OpenMode::ReadWrite}) {
        const int result = runUnprivileged([this, mode]() {
            try {
                open("OCULTA.DBF", mode);
                return 10;
            } catch (const Error& error) {
                return error.code() == AccessDenied && error.entries().at(0).message == messages::AccessDenied
                        && error.entries().at(0).context == pathOf("OCULTA.DBF")
                    ? 0
                    : 11;
            }
        });
        EXPECT_EQ(result, 0) << "10: opened, 11: other error, 20-22: no child";
    }
}
#else
// A file marked read-only: ReadWrite gives ReadOnlyTable, ReadOnly opens it, and it stays read-only.
TEST_F(TableBytes, readOnlyFileRefusesReadWriteMode)
{
    m_dir.write("SOLO.DBF", DbfBuilder(0x03).column("A", 'C', 3).record("uno").build());
    std::filesystem::permissions(m_dir / "SOLO.DBF", std::filesystem::perms::owner_read);
    {
        const std::filesystem::path file = m_dir / "SOLO.DBF";
        const HANDLE probe = CreateFileW(
            file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe != INVALID_HANDLE_VALUE) {
            CloseHandle(probe);
            GTEST_SKIP() << "this system lets the user write a read-only file (Wine run by root)";
        }
    }
    try {
        open("SOLO.DBF", OpenMode::ReadWrite);
        ADD_FAILURE() << "opened for writing";
    } catch (const Error& error) {
        EXPECT_EQ(error.code(), ReadOnlyTable);
        EXPECT_EQ(error.entries().at(0).context, pathOf("SOLO.DBF"));
    }
    EXPECT_EQ(readAll(*open("SOLO.DBF", OpenMode::ReadOnly)).size(), 1u);
    EXPECT_EQ(std::filesystem::status(m_dir / "SOLO.DBF").permissions() & std::filesystem::perms::owner_write,
        std::filesystem::perms::none);
}
#endif

} // namespace
} // namespace dbase
