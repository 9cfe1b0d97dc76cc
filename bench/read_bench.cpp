// Reads a generated dBase table of a million rows (or the count given) through the engine and through
// the table layer, and prints rows per second and MB per second beside the time `cat` takes for the
// same file. Usage: read_bench [rows] [directory]
#include "dbase/table.h"
#include "platform/paths.h"
#include "timetable/table_component.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Col
{
    const char* name;
    char type;
    int length;
    int decimals;
};

void put16(std::string& s, std::size_t at, unsigned v)
{
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& s, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A plain dBase III table written by the benchmark itself (language driver 0x02, code page 850).
void writeTable(const fs::path& path, std::uint32_t rows)
{
    const std::vector<Col> cols = {{"ASIG", 'C', 8, 0}, {"AULA", 'C', 4, 0}, {"CODGRUPO", 'C', 10, 0},
        {"CURSO", 'C', 3, 0}, {"DIA", 'N', 2, 0}, {"GRUPO", 'C', 1, 0}, {"HORA", 'N', 2, 0}, {"NIVEL", 'C', 5, 0},
        {"PROF", 'C', 4, 0}, {"SESIONES", 'N', 3, 0}, {"TAREA", 'C', 20, 0}, {"TURNO", 'C', 1, 0}};
    unsigned recordLength = 1;
    for (const auto& c : cols)
        recordLength += c.length;
    unsigned headerLength = 32 + 32 * static_cast<unsigned>(cols.size()) + 1;
    std::string header(headerLength, '\0');
    header[0] = 0x03;
    header[1] = 126;
    header[2] = 12;
    header[3] = 9;
    put32(header, 4, rows);
    put16(header, 8, headerLength);
    put16(header, 10, recordLength);
    header[29] = 0x02;
    for (std::size_t i = 0; i < cols.size(); ++i) {
        std::size_t at = 32 + 32 * i;
        std::snprintf(&header[at], 11, "%s", cols[i].name);
        header[at + 11] = cols[i].type;
        header[at + 16] = static_cast<char>(cols[i].length);
        header[at + 17] = static_cast<char>(cols[i].decimals);
    }
    header[headerLength - 1] = 0x0D;

    std::ofstream out(path, std::ios::binary);
    out.write(header.data(), static_cast<std::streamsize>(header.size()));
    std::string record;
    for (std::uint32_t r = 0; r < rows; ++r) {
        char buf[128];
        std::snprintf(buf, sizeof buf, " %-8s%-4s%-10s%-3s%2u%-1s%2u%-5s%-4s%3u%-20s%-1s", "MAT1", "A12", "1ESOA", "1",
            r % 5 + 1, "A", r % 7 + 1, "ESO", "P\xA5O", r % 4, "Clase de matem\xA0ticas", "M");
        out.write(buf, recordLength);
    }
    out.put(0x1A);
}

double seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

int main(int argc, char** argv)
{
    std::uint32_t rows = argc > 1 ? static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 1000000;
    fs::path dir = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "educa-read-bench";
    fs::create_directories(dir);
    fs::path file = dir / "SOLUC.DBF";
    writeTable(file, rows);
    double megabytes = static_cast<double>(fs::file_size(file)) / (1024.0 * 1024.0);
    std::printf("tabla: %s, %u filas, %.1f MB\n", file.c_str(), rows, megabytes);

    std::string cat = "cat '" + file.string() + "' > /dev/null";
    auto t0 = std::chrono::steady_clock::now();
    if (std::system(cat.c_str()) != 0)
        return 1;
    double catTime = seconds(t0);
    std::printf("cat:            %.3f s (%.0f MB/s)\n", catTime, megabytes / catTime);

    t0 = std::chrono::steady_clock::now();
    auto table = dbase::Table::open(dir, "SOLUC.DBF", dbase::OpenMode::ReadOnly);
    std::size_t count = 0;
    std::size_t bytes = 0;
    while (table->fetchNext()) {
        for (std::size_t c = 0; c < table->columns().size(); ++c) {
            dbase::Value v = table->value(c);
            if (auto* s = std::get_if<std::string>(&v))
                bytes += s->size();
        }
        ++count;
    }
    double engineTime = seconds(t0);
    std::printf("motor:          %.3f s, %zu filas, %.0f filas/s, %.0f MB/s\n", engineTime, count, count / engineTime,
        megabytes / engineTime);

    t0 = std::chrono::steady_clock::now();
    timetable::TableComponent component("wwTableSoluc", "SOLUC", timetable::TableType::ttDBase, true, dir.string());
    component.open();
    std::vector<timetable::Field*> fields;
    for (const char* name :
        {"ASIG", "AULA", "CODGRUPO", "CURSO", "DIA", "GRUPO", "HORA", "NIVEL", "PROF", "SESIONES", "TAREA", "TURNO"})
        fields.push_back(&component.fieldByName(name));
    count = 0;
    for (component.first(); !component.eof(); component.next()) {
        for (auto* f : fields)
            bytes += f->asString().size();
        ++count;
    }
    component.close();
    double layerTime = seconds(t0);
    std::printf("capa de tablas: %.3f s, %zu filas, %.0f filas/s, %.0f MB/s (texto de los 12 campos)\n", layerTime,
        count, count / layerTime, megabytes / layerTime);
    std::printf("(%zu bytes de texto leidos)\n", bytes);
    fs::remove(file);
    return 0;
}
