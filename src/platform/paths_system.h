#pragma once

// Internal to the platform layer: the parts of paths.h that each system has on its own
// (paths_posix.cpp, paths_win32.cpp).

#include <string>

namespace platform::detail {

// The folder of the running program's file, ending with the system's path separator (UTF-8).
std::string executableDirectory();

} // namespace platform::detail
