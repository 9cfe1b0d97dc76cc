#pragma once

// A small school of six tables built byte by byte, damaged by the tests one file at a time, and
// exported both in this process and with educa-export.

#include "dbf_builder.h"
#include "export/export_run.h"
#include "process.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace robustness {

namespace fs = std::filesystem;
using dbase::testing::DbfBuilder;

// The tables with their columns and rows (code page 850). rows=false leaves the rows out.
DbfBuilder asigTable(std::uint8_t version = 0x03, bool rows = true);
DbfBuilder nomasgTable(bool rows = true);
// Three teachers: ANA, a placeholder "*" and LUIS.
DbfBuilder profTable(bool rows = true);
DbfBuilder grupTable(bool rows = true);
DbfBuilder aulaTable(bool rows = true);
DbfBuilder solucTable(bool rows = true);

// Files by their path under the school's folder ("datos/PROF.DBF", "mtemp/SOLUC.DBF"); nothing
// stands for a folder of that name.
using SchoolFiles = std::map<std::string, std::optional<std::string>>;

SchoolFiles smallSchool();

// Writes the files under root, with the empty folders datos, mtemp and salida; all of it readable
// by every user.
void writeSchool(const SchoolFiles& files, const fs::path& root);

struct ExportOutcome
{
    bool failed = false;
    std::string failureText; // as the error box shows it
    std::string document; // the saved document after a success
};

// Regional settings as educa-export gets them in the C locale, which the tests give it.
void useCLocaleSettings();

// The export run with the school under root, writing root/salida/educa.xml; fecha is that of
// 8 December 2025, 9:05:07.
ExportOutcome exportInProcess(const fs::path& root);

// educa-export --datos root/datos --soluc root/mtemp --salida root/salida/educa.xml, in the C locale.
ProgramResult exportWithTool(const fs::path& root, const RunOptions& options = {});

// The row elements of one section: their attributes as NAME=value joined by "|", one row a line.
std::string sectionRows(const std::string& document, const char* section);

} // namespace robustness
