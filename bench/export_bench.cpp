// Exports a large generated timetable database and prints, beside `cat` of the same six tables, the
// time, rows per second, MB per second (of tables read and of document written) and the peak memory
// against its bound of 1.5 times the document plus 20 MB. The export is the best of three runs (the
// machine may be shared), from a warm page cache; each run writes and flushes the whole document.
//
// Usage: export_bench [SOLUC_ROWS [OTHER_ROWS]]   (defaults: 200000 and 50000)
// The tables are written with a minimal dBase III writer into a temporary folder, which is removed
// afterwards.

#include "bench_common.h"
#include "export/export_run.h"
#include "platform/regional.h"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fmt/format.h>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using bench::Column;

// Writes a dBase III table (code page 850) whose cells come from cell(row, column).
template <typename Cell> void writeTable(const fs::path& path, const std::vector<Column>& columns, int rows, Cell cell)
{
    bench::TableWriter table(path, 0x03, columns, static_cast<std::uint32_t>(rows));
    std::string record;
    for (int row = 0; row < rows; ++row) {
        record.assign(1, ' ');
        for (std::size_t c = 0; c < columns.size(); ++c) {
            std::string value = cell(row, c);
            const auto length = static_cast<std::size_t>(columns[c].length);
            value.resize(std::min(value.size(), length));
            if (columns[c].type == 'N')
                record += std::string(length - value.size(), ' ') + value;
            else
                record += value + std::string(length - value.size(), ' ');
        }
        table.record(record);
    }
}

std::vector<Column> characterColumns(std::initializer_list<std::pair<const char*, int>> layout)
{
    std::vector<Column> columns;
    for (const auto& [name, length] : layout)
        columns.push_back({name, 'C', length});
    return columns;
}

} // namespace

int main(int argc, char** argv)
{
    const int solucRows = argc > 1 ? std::atoi(argv[1]) : 200000;
    const int otherRows = argc > 2 ? std::atoi(argv[2]) : 50000;

    bench::TemporaryFolder folder({});
    const fs::path& root = folder.path();
    const fs::path datos = root / "datos";
    const fs::path mtemp = root / "mtemp";
    fs::create_directories(datos);
    fs::create_directories(mtemp);

    const auto generationStart = std::chrono::steady_clock::now();
    // "\xa4" is ñ and "\xa0" is á in code page 850.
    auto asig = characterColumns({{"ASIG", 4}, {"AULA0", 4}, {"AULA1", 4}, {"AULA2", 4}, {"AULA3", 4}, {"AULA4", 4},
        {"EDIFICIO", 1}, {"GRUP", 4}});
    asig.push_back({"NALUM", 'N', 3});
    asig.push_back({"PROF", 'C', 4});
    asig.push_back({"TIPO", 'C', 1});
    asig.push_back({"NHORAS", 'N', 4, 1});
    writeTable(datos / "Asig.DBF", asig, otherRows, [](int row, std::size_t c) -> std::string {
        switch (c) {
        case 0:
            return fmt::format("A{:03}", row % 1000);
        case 1:
            return fmt::format("{}", 100 + row % 300);
        case 6:
            return "A";
        case 7:
            return fmt::format("G{:03}", row % 500);
        case 8:
            return fmt::format("{}", 20 + row % 15);
        case 9:
            return fmt::format("P{:03}", row % 800);
        case 10:
            return "O";
        case 11:
            return row % 2 ? "3.5" : "4.0";
        default:
            return "";
        }
    });

    std::vector<Column> nomasg = {{"N", 'N', 5}, {"ABREV", 'C', 4}, {"NOMBRE", 'C', 40}, {"ACTIV", 'N', 1}};
    writeTable(datos / "NOMASG.DBF", nomasg, otherRows, [](int row, std::size_t c) -> std::string {
        switch (c) {
        case 0:
            return std::to_string(row + 1);
        case 1:
            return fmt::format("S{:03}", row % 1000);
        case 2:
            return fmt::format("Educaci\xa2n y Espa\xa4ol {} & <m\xa0s>", row);
        default:
            return "1";
        }
    });

    std::vector<Column> prof = {{"N", 'N', 5}, {"NOMBRE", 'C', 40}, {"ABREV", 'C', 4}, {"DEPART", 'C', 40}};
    writeTable(datos / "PROF.DBF", prof, otherRows, [](int row, std::size_t c) -> std::string {
        switch (c) {
        case 0:
            return std::to_string(row + 1);
        case 1:
            return fmt::format("Mu\xa4oz Go\xa4i, I\xa4igo {}", row);
        case 2:
            return row % 50 == 0 ? "*" : fmt::format("P{:03}", row % 1000);
        default:
            return "Matem\xa0ticas";
        }
    });

    std::vector<Column> grup = {{"N", 'N', 5}, {"ABREV", 'C', 4}, {"TURNO", 'C', 1}, {"NIVEL", 'C', 5},
        {"CURSO", 'C', 3}, {"GRUPO", 'C', 1}, {"MAXALUM", 'N', 3}, {"DESCRIP", 'C', 40}};
    writeTable(datos / "GRUP.DBF", grup, otherRows, [](int row, std::size_t c) -> std::string {
        switch (c) {
        case 0:
            return std::to_string(row + 1);
        case 1:
            return fmt::format("G{:03}", row % 1000);
        case 2:
            return "M";
        case 3:
            return "ESO";
        case 4:
            return std::to_string(1 + row % 4);
        case 5:
            return std::string(1, static_cast<char>('A' + row % 5));
        case 6:
            return "30";
        default:
            return fmt::format("{}\xa7 ESO", 1 + row % 4);
        }
    });

    std::vector<Column> aula
        = {{"N", 'N', 5}, {"ABREV", 'C', 4}, {"NOMBRE", 'C', 40}, {"MAXALUM", 'N', 3}, {"EDIFICIO", 'C', 1}};
    writeTable(datos / "AULA.DBF", aula, otherRows, [](int row, std::size_t c) -> std::string {
        switch (c) {
        case 0:
            return std::to_string(row + 1);
        case 1:
            return row % 40 == 0 ? "*" : fmt::format("{}", 100 + row % 900);
        case 2:
            return fmt::format("Laboratorio de F\xa1sica {}", row);
        case 3:
            return "24";
        default:
            return "B";
        }
    });

    auto soluc = characterColumns({{"ASIG", 4}, {"AULA", 4}, {"CODGRUPO", 4}, {"CURSO", 3}});
    soluc.push_back({"DIA", 'N', 1});
    soluc.push_back({"GRUPO", 'C', 1});
    soluc.push_back({"HORA", 'N', 2});
    soluc.push_back({"NIVEL", 'C', 5});
    soluc.push_back({"PROF", 'C', 4});
    soluc.push_back({"SESIONES", 'N', 2});
    soluc.push_back({"TAREA", 'C', 2});
    soluc.push_back({"TURNO", 'C', 1});
    writeTable(mtemp / "SOLUC.DBF", soluc, solucRows, [](int row, std::size_t c) -> std::string {
        switch (c) {
        case 0:
            return fmt::format("A{:03}", row % 1000);
        case 1:
            return fmt::format("{}", 100 + row % 300);
        case 2:
            return fmt::format("G{:03}", row % 500);
        case 3:
            return std::to_string(1 + row % 4);
        case 4:
            return std::to_string(1 + row % 5);
        case 5:
            return std::string(1, static_cast<char>('A' + row % 5));
        case 6:
            return std::to_string(1 + row % 7);
        case 7:
            return "ESO";
        case 8:
            return fmt::format("P{:03}", row % 800);
        case 9:
            return std::to_string(1 + row % 5);
        case 10:
            return "CL";
        default:
            return "M";
        }
    });
    const double generationSeconds
        = std::chrono::duration<double>(std::chrono::steady_clock::now() - generationStart).count();
    const double peakBeforeExport = bench::peakMegabytes();

    platform::RegionalSettings settings;
    settings.decimalSeparator = ",";
    platform::setRegionalSettings(settings);

    const std::vector<fs::path> tableFiles = {datos / "Asig.DBF", datos / "NOMASG.DBF", datos / "PROF.DBF",
        datos / "GRUP.DBF", datos / "AULA.DBF", mtemp / "SOLUC.DBF"};
    std::uint64_t tableBytes = 0;
    for (const auto& file : tableFiles)
        tableBytes += fs::file_size(file);
    const double tableMegabytes = static_cast<double>(tableBytes) / 1e6;

    const auto output = root / "educa.xml";
    exporter::RowCounts rowCounts {};
    const double seconds = bench::bestOf(3, [&] {
        timetable::TimetableTables tables;
        tables.wwTableSoluc.setDatabaseName(mtemp.string());
        exporter::ExportOptions options;
        options.dataDirectory = datos.string() + "/";
        rowCounts = exporter::exportDocument(tables, output, options);
    });
    const double cat = bench::bestOf(3, [&] { bench::catFiles(tableFiles); });

    int totalRows = 0;
    for (int count : rowCounts)
        totalRows += count;
    const double documentMegabytes = static_cast<double>(fs::file_size(output)) / 1e6;
    const double peak = bench::peakMegabytes();
    const double bound = 1.5 * documentMegabytes + 20;

    fmt::print("export_bench: exportación de una base de datos generada (mejor de 3 ejecuciones; con la caché de "
               "disco caliente)\n");
    fmt::print("tablas: SOLUC {} filas, las otras cinco {} filas cada una; {:.1f} MB (escritas en {:.2f} s)\n",
        solucRows, otherRows, tableMegabytes, generationSeconds);
    fmt::print("elementos de fila:");
    for (std::size_t i = 0; i < exporter::SectionCount; ++i)
        fmt::print(" {} {}", exporter::SectionNames[i], rowCounts[i]);
    fmt::print("; documento {:.1f} MB\n", documentMegabytes);
    fmt::print("  {:<28} {:>9} {:>13} {:>16} {:>18} {:>10}\n", "", "tiempo", "filas/s", "MB/s (tablas)",
        "MB/s (documento)", "veces cat");
    fmt::print("  {:<28} {:>7.3f} s {:>13} {:>16.0f} {:>18} {:>10}\n", "cat de las seis tablas", cat, "",
        tableMegabytes / cat, "", "1.0");
    fmt::print("  {:<28} {:>7.3f} s {:>13.0f} {:>16.0f} {:>18.0f} {:>10.1f}\n", "exportación (educa.xml)", seconds,
        totalRows / seconds, tableMegabytes / seconds, documentMegabytes / seconds, seconds / cat);
    fmt::print("memoria máxima del proceso: {:.1f} MB (antes de exportar: {:.1f} MB; límite 1,5 × documento + 20 MB "
               "= {:.1f} MB: {})\n",
        peak, peakBeforeExport, bound, peak <= bound ? "se cumple" : "NO se cumple");
    return 0;
}
