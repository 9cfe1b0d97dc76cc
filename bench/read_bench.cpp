// Reads two generated tables and prints, for each, the time, rows per second, MB per second and the
// ratio to `cat` of the same files: a plain table of a million rows (SOLUC's columns) and a table
// whose every row has a memo (dBase III, 290 bytes of text a memo on average).
//   - motor: the engine's raw decoding, every column of every row without converting its text;
//   - capa de tablas: every column of every row as UTF-8 text through the table layer.
// Each figure is the best of three passes (the machine may be shared). Usage:
// read_bench [rows [memo rows [directory]]]   (defaults: 1000000, 200000, a temporary folder)
#include "bench_common.h"
#include "dbase/table.h"
#include "platform/codepage_table.h"
#include "timetable/table_component.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using bench::Column;

namespace {

// A plain dBase III table of SOLUC's columns (language driver 0x02, code page 850).
void writeSoluc(const fs::path& path, std::uint32_t rows)
{
    const std::vector<Column> columns = {{"ASIG", 'C', 8}, {"AULA", 'C', 4}, {"CODGRUPO", 'C', 10}, {"CURSO", 'C', 3},
        {"DIA", 'N', 2}, {"GRUPO", 'C', 1}, {"HORA", 'N', 2}, {"NIVEL", 'C', 5}, {"PROF", 'C', 4}, {"SESIONES", 'N', 3},
        {"TAREA", 'C', 20}, {"TURNO", 'C', 1}};
    bench::TableWriter table(path, 0x03, columns, rows);
    char record[128];
    for (std::uint32_t r = 0; r < rows; ++r) {
        std::snprintf(record, sizeof record, " %-8s%-4s%-10s%-3s%2u%-1s%2u%-5s%-4s%3u%-20s%-1s", "MAT1", "A12", "1ESOA",
            "1", r % 5 + 1, "A", r % 7 + 1, "ESO", "P\xA5O", r % 4, "Clase de matem\xA0ticas", "M");
        table.record(record);
    }
}

// A dBase III table with a memo for every row, and its .DBT: texts of 20 to 560 bytes with accented
// letters of code page 850, each in its own run of 512-byte blocks ended by 1A 1A.
void writeMemoTable(const fs::path& path, const fs::path& memoPath, std::uint32_t rows)
{
    const std::vector<Column> columns = {{"ASIG", 'C', 8}, {"NOTAS", 'M', 10}, {"HORAS", 'N', 3}};
    bench::TableWriter table(path, 0x83, columns, rows);
    std::ofstream memo(memoPath, std::ios::binary);
    std::string header(512, '\0');
    memo.write(header.data(), static_cast<std::streamsize>(header.size()));
    const std::string words = "Programaci\xA2n did\xA0"
                              "ctica de la asignatura: objetivos, contenidos y criterios de evaluaci\xA2n. ";
    std::uint64_t block = 1;
    char record[64];
    for (std::uint32_t r = 0; r < rows; ++r) {
        const std::size_t length = 20 + (r * 7919u) % 541;
        std::string text;
        while (text.size() < length)
            text += words;
        text.resize(length);
        text += "\x1A\x1A";
        text.resize((text.size() + 511) / 512 * 512, '\0');
        memo.write(text.data(), static_cast<std::streamsize>(text.size()));
        std::snprintf(record, sizeof record, " %-8s%10llu%3u", "MAT1", static_cast<unsigned long long>(block), r % 6);
        block += text.size() / 512;
        table.record(record);
    }
    memo.seekp(0);
    const char next[4] = {static_cast<char>(block & 0xFF), static_cast<char>((block >> 8) & 0xFF),
        static_cast<char>((block >> 16) & 0xFF), static_cast<char>((block >> 24) & 0xFF)};
    memo.write(next, 4);
}

struct Counts
{
    std::size_t rows = 0;
    std::size_t bytes = 0; // of text read, so that the work cannot be left out
};

// The engine: every column of every row, its text as the file holds it.
Counts readWithTheEngine(const fs::path& dir, const char* name)
{
    auto table = dbase::Table::open(dir, name, dbase::OpenMode::ReadOnly);
    const std::size_t columns = table->columns().size();
    Counts counts;
    while (table->fetchNext()) {
        for (std::size_t c = 0; c < columns; ++c) {
            const dbase::ValueView value = table->view(c);
            if (const auto* text = std::get_if<dbase::RawText>(&value))
                counts.bytes += text->bytes.size();
        }
        ++counts.rows;
    }
    return counts;
}

// The table layer: every field of every row as UTF-8 text, in one reused buffer.
Counts readWithTheTableLayer(const fs::path& dir, const char* name)
{
    timetable::TableComponent table("wwTabla", name, timetable::TableType::ttDBase, true, dir.string());
    table.open();
    std::string scratch;
    std::string text;
    Counts counts;
    for (table.first(); !table.eof(); table.next()) {
        for (const auto& field : table.fields()) {
            const timetable::TextPiece piece = field->text(scratch);
            text.clear();
            if (piece.codePage != nullptr)
                piece.codePage->appendUtf8(piece.bytes, text);
            else
                text.append(piece.bytes);
            counts.bytes += text.size();
        }
        ++counts.rows;
    }
    table.close();
    return counts;
}

void measure(const char* title, const fs::path& dir, const char* name, const std::vector<fs::path>& files)
{
    std::uint64_t size = 0;
    for (const auto& file : files)
        size += fs::file_size(file);
    const double megabytes = static_cast<double>(size) / 1e6;
    std::printf("\n%s: %.1f MB en %zu archivo(s)\n", title, megabytes, files.size());
    std::printf("  %-26s %9s %13s %10s %12s\n", "", "tiempo", "filas/s", "MB/s", "veces cat");

    const double cat = bench::bestOf(3, [&] { bench::catFiles(files); });
    std::printf("  %-26s %7.3f s %13s %10.0f %12s\n", "cat", cat, "", megabytes / cat, "1.0");

    Counts engine;
    const double engineSeconds = bench::bestOf(3, [&] { engine = readWithTheEngine(dir, name); });
    std::printf("  %-26s %7.3f s %13.0f %10.0f %12.1f\n", "motor (sin convertir)", engineSeconds,
        static_cast<double>(engine.rows) / engineSeconds, megabytes / engineSeconds, engineSeconds / cat);

    Counts layer;
    const double layerSeconds = bench::bestOf(3, [&] { layer = readWithTheTableLayer(dir, name); });
    std::printf("  %-26s %7.3f s %13.0f %10.0f %12.1f\n", "capa de tablas (texto)", layerSeconds,
        static_cast<double>(layer.rows) / layerSeconds, megabytes / layerSeconds, layerSeconds / cat);
    std::printf("  capa de tablas / motor: %.2f veces; %zu filas, %zu bytes de texto\n", layerSeconds / engineSeconds,
        layer.rows, layer.bytes);
}

} // namespace

int main(int argc, char** argv)
{
    const auto rows = static_cast<std::uint32_t>(argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000);
    const auto memoRows = static_cast<std::uint32_t>(argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 200000);
    bench::TemporaryFolder folder(argc > 3 ? fs::path(argv[3]) : fs::path());
    const fs::path& dir = folder.path();

    writeSoluc(dir / "SOLUC.DBF", rows);
    writeMemoTable(dir / "NOTAS.DBF", dir / "NOTAS.DBT", memoRows);

    std::printf("read_bench: lectura de tablas generadas en %s (mejor de 3 pasadas; con la caché de disco "
                "caliente)\n",
        dir.c_str());
    measure(("Tabla de " + std::to_string(rows) + " filas (las columnas de SOLUC)").c_str(), dir, "SOLUC.DBF",
        {dir / "SOLUC.DBF"});
    measure(("Tabla de " + std::to_string(memoRows) + " filas con un memo cada una").c_str(), dir, "NOTAS.DBF",
        {dir / "NOTAS.DBF", dir / "NOTAS.DBT"});
    std::printf("\nmemoria máxima del proceso: %.1f MB\n", bench::peakMegabytes());
    return 0;
}
