#pragma once

// Texts of the table layer and the field readers, as the user sees them (UTF-8).
namespace timetable::messages {

inline constexpr const char* FieldNotFound = "No se encuentra el campo '{}'";
inline constexpr const char* OpenDataSet = "No se puede realizar esta operación en una fuente de datos abierta";
inline constexpr const char* ClosedDataSet = "No se puede realizar esta operación en una fuente de datos cerrada";
inline constexpr const char* EngineStart
    = "Ha ocurrido un error mientras se intentaba iniciar el Motor de Base de Datos (BDE), error ${:04X}";
inline constexpr const char* EngineCode = "Error BDE ${:04X}";
inline constexpr const char* NotAnInteger = "'{}' no es un valor entero válido";
inline constexpr const char* FieldTypeMismatch = "No se puede acceder el campo '{}' como tipo {}";
inline constexpr const char* Named = "{}: {}";

} // namespace timetable::messages
