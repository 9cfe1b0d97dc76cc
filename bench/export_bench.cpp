// Exports a large generated timetable database and prints the time taken and the peak memory.
//
// Usage: export_bench [SOLUC_ROWS [OTHER_ROWS]]   (defaults: 200000 and 50000)
// The tables are written with a minimal dBase III writer into a temporary folder, which is removed
// afterwards.

#include "export/export_run.h"
#include "platform/regional.h"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fmt/format.h>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Column
{
    std::string name;
    char type; // 'C' or 'N'
    int length;
    int decimals = 0;
};

// Writes a dBase III table (code page 850) whose cells come from cell(row, column).
template <typename Cell> void writeTable(const fs::path& path, const std::vector<Column>& columns, int rows, Cell cell)
{
    std::ofstream out(path, std::ios::binary);
    int recordLength = 1;
    for (const auto& column : columns)
        recordLength += column.length;
    const int headerLength = 32 + 32 * static_cast<int>(columns.size()) + 1;

    auto le16 = [&](int v) {
        out.put(static_cast<char>(v & 0xFF));
        out.put(static_cast<char>((v >> 8) & 0xFF));
    };
    auto le32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
    };

    out.put(0x03);
    out.put(125), out.put(12), out.put(8);
    le32(static_cast<std::uint32_t>(rows));
    le16(headerLength);
    le16(recordLength);
    out.write(std::string(17, '\0').data(), 17);
    out.put(0x02); // language driver: code page 850
    out.write("\0\0", 2);

    for (const auto& column : columns) {
        std::string name = column.name;
        name.resize(11, '\0');
        out.write(name.data(), 11);
        out.put(column.type);
        le32(0);
        out.put(static_cast<char>(column.length));
        out.put(static_cast<char>(column.decimals));
        out.write(std::string(14, '\0').data(), 14);
    }
    out.put(0x0D);

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
        out.write(record.data(), static_cast<std::streamsize>(record.size()));
    }
    out.put(0x1A);
}

std::vector<Column> characterColumns(std::initializer_list<std::pair<const char*, int>> layout)
{
    std::vector<Column> columns;
    for (const auto& [name, length] : layout)
        columns.push_back({name, 'C', length});
    return columns;
}

class QuietUi : public exporter::ExportUi
{
public:
    explicit QuietUi(std::string path)
        : m_path(std::move(path))
    {
    }
    std::optional<std::string> askSaveFileName() override { return m_path; }
    void showInfo(const std::string&) override { }
    void hideExportButton() override { }
    void setDefaultCursor() override { }
    void closeMainWindow() override { }

private:
    std::string m_path;
};

long peakKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    const int solucRows = argc > 1 ? std::atoi(argv[1]) : 200000;
    const int otherRows = argc > 2 ? std::atoi(argv[2]) : 50000;

    std::string pattern = (fs::temp_directory_path() / "export-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return 1;
    const fs::path root = pattern;
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
    const long peakBeforeExport = peakKiB();

    platform::RegionalSettings settings;
    settings.decimalSeparator = ",";
    platform::setRegionalSettings(settings);

    const auto output = (root / "educa.xml").string();
    timetable::TimetableTables tables;
    tables.wwTableSoluc.setDatabaseName(mtemp.string());
    exporter::AppState state;
    QuietUi ui(output);
    exporter::ExportOptions options;
    options.dataDirectory = datos.string() + "/";

    const auto start = std::chrono::steady_clock::now();
    const auto summary = exporter::runExport(tables, state, ui, options);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    int totalRows = 0;
    for (int count : summary.rowCounts)
        totalRows += count;
    fmt::print("tables: SOLUC {} rows, the five others {} rows each (written in {:.2f} s)\n", solucRows, otherRows,
        generationSeconds);
    fmt::print("row elements:");
    for (std::size_t i = 0; i < exporter::SectionCount; ++i)
        fmt::print(" {} {}", exporter::SectionNames[i], summary.rowCounts[i]);
    fmt::print("\n");
    fmt::print("export: {:.2f} s, {:.0f} rows/s, document {:.1f} MiB\n", seconds, totalRows / seconds,
        static_cast<double>(fs::file_size(output)) / (1024.0 * 1024.0));
    fmt::print("peak memory (ru_maxrss): {:.1f} MiB (before the export: {:.1f} MiB)\n", peakKiB() / 1024.0,
        peakBeforeExport / 1024.0);

    std::error_code ec;
    fs::remove_all(root, ec);
    return 0;
}
