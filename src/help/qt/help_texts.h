#pragma once

// The texts of the help window that the user sees (UTF-8).
namespace help::qt::texts {

// The window's title while the help file names none.
inline constexpr const char* WindowTitle = "Ayuda";
inline constexpr const char* BackButton = "Atrás";
inline constexpr const char* ForwardButton = "Adelante";
inline constexpr const char* HomeButton = "Inicio";

} // namespace help::qt::texts
