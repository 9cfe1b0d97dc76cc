#pragma once

// Texts of the export run, the exchange document and the command-line tool, as the user sees them (UTF-8).
namespace exporter::messages {

// The command-line tool's line after a saved document.
inline constexpr const char* Finished = "Proceso finalizado";

// Document failures: the document layer's own descriptions, then the fallbacks.
inline constexpr const char* CannotWriteFile = "No se puede escribir el archivo '{}': {}";
inline constexpr const char* CannotReplaceFile = "No se puede sustituir el archivo '{}': {}";
inline constexpr const char* FileInUse
    = "No se puede sustituir el archivo '{}': otro programa lo tiene abierto. Ciérrelo y vuelva a exportar";
inline constexpr const char* OleError = "OLE error {:08X}";
inline constexpr const char* NoSectionOpen = "No hay ninguna sección abierta en el documento";
inline constexpr const char* DocumentNotStarted = "El documento no se ha iniciado";
inline constexpr const char* SectionNotFound = "No se encuentra el nodo '{}' en el documento";
inline constexpr const char* AttributeInvalidCharacter
    = "El atributo '{}' del elemento '{}' contiene el carácter U+{:04X}, que no se puede escribir en XML";
inline constexpr const char* AttributeInvalidUtf8
    = "El atributo '{}' del elemento '{}' contiene bytes que no forman texto UTF-8 válido";

// A table value that the document cannot carry: component, row, field, table.
inline constexpr const char* FieldInvalidCharacter = "{}: El campo '{}' de la fila {} de la tabla {} contiene el "
                                                     "carácter U+{:04X}, que no se puede escribir en XML";
inline constexpr const char* FieldInvalidUtf8
    = "{}: El campo '{}' de la fila {} de la tabla {} contiene bytes que no forman texto UTF-8 válido";

// Command-line tool.
inline constexpr const char* SectionRows = "{}: {} filas";
inline constexpr const char* SectionOneRow = "{}: 1 fila";
inline constexpr const char* Usage = "Uso: educa-export [--datos DIRECTORIO] [--soluc DIRECTORIO] --salida FICHERO";
inline constexpr const char* Help
    = "Exporta las tablas del horario al documento de intercambio de EDUCA.\n"
      "\n"
      "Opciones:\n"
      "  -d, --datos DIRECTORIO   directorio de Asig.DBF, NOMASG, PROF, GRUP y AULA\n"
      "                           (por omisión, el directorio del programa)\n"
      "  -s, --soluc DIRECTORIO   directorio de SOLUC (por omisión, c:\\mtemp)\n"
      "  -o, --salida FICHERO     documento XML que se escribe (se sustituye si existe)\n"
      "      --ayuda, --help      muestra esta ayuda\n"
      "      --version            muestra la versión\n"
      "\n"
      "Código de salida: 0 si la exportación termina, 1 si falla, 2 si los argumentos no son válidos.";
inline constexpr const char* UnknownOption = "Opción desconocida: '{}'";
inline constexpr const char* MissingValue = "Falta el valor de la opción '{}'";
inline constexpr const char* EmptyValue = "La opción '{}' no admite un valor vacío";
inline constexpr const char* RepeatedOption = "La opción '{}' se ha indicado más de una vez";
inline constexpr const char* UnexpectedArgument = "Argumento no esperado: '{}'";
inline constexpr const char* MissingOutput = "Falta la opción --salida";
inline constexpr const char* HelpHint = "Use --ayuda para ver las opciones.";

} // namespace exporter::messages
