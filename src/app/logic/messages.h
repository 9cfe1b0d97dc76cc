#pragma once

#include <string_view>

// The texts of the start-up and window logic that the user sees.
namespace app::messages
{

// Names the program's taskbar entry and captions the plain message box and the error box.
inline constexpr std::string_view applicationTitle = "TransSelvarEDUCA";

// The one button of the plain message box.
inline constexpr std::string_view okButtonCaption = "Aceptar";

// Host window handle that is not a hexadecimal number; {} is the converted text, "$" included.
inline constexpr std::string_view invalidInteger = "'{}' no es un valor entero válido";

} // namespace app::messages
