#pragma once

#include <string_view>

// The texts of the start-up and window logic that the user sees.
namespace app::messages {

// Host window handle that is not a hexadecimal number; {} is the converted text, "$" included.
inline constexpr std::string_view invalidInteger = "'{}' no es un valor entero válido";

} // namespace app::messages
