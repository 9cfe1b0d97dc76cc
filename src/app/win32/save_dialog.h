#pragma once

#include <optional>
#include <string>
#include <windows.h>

namespace app::win32 {

// The save dialog "Guardar Archivo XML" (the system's standard one): the file type "*.xml", default
// extension xml, no question before an existing file is replaced, the offered name (UTF-8, may be
// empty) in its name field. It is centred across the monitor of the program's active window (else of
// mainWindow) with its top at a third of the free height, and the program's other windows are disabled
// while it is open. The confirmed file's full path (UTF-8), or nothing when it was cancelled.
std::optional<std::string> askSaveFileName(HWND owner, HWND mainWindow, const std::string& offeredName);

} // namespace app::win32
