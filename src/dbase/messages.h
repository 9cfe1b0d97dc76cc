#pragma once

#include <cstdint>
#include <string>

// The engine's Spanish texts. Each failure carries one of these as its message and the path of the
// file concerned as its context text.
namespace dbase::messages {

inline constexpr const char* DirectoryNotFound = "No se encuentra el directorio";
inline constexpr const char* TableNotFound = "No se encuentra la tabla";
inline constexpr const char* NotATable = "El archivo no es una tabla dBase";
inline constexpr const char* AccessDenied = "No se tiene permiso para abrir el archivo";
inline constexpr const char* ReadOnlyTable = "La tabla solo admite lectura";
inline constexpr const char* CorruptHeader = "La cabecera de la tabla no concuerda con el tamaño del archivo";
inline constexpr const char* CorruptColumns = "La cabecera de la tabla está dañada";
inline constexpr const char* ReadFailure = "No se puede leer el archivo";
inline constexpr const char* MemoNotFound = "No se encuentra el archivo de memos";
inline constexpr const char* CorruptMemo = "El archivo de memos está dañado";
inline constexpr const char* TableEncrypted = "La tabla está cifrada";
inline constexpr const char* NoCurrentRecord = "No hay ningún registro leído";

// A table that holds fewer rows than its header announces (cut by a copy or a full disk).
inline std::string tableTruncated(std::uint64_t announced, std::uint64_t present)
{
    auto rows = [](std::uint64_t count) { return std::to_string(count) + (count == 1 ? " fila" : " filas"); };
    return "La tabla está incompleta: la cabecera anuncia " + rows(announced) + " y el archivo contiene "
        + rows(present);
}

} // namespace dbase::messages
