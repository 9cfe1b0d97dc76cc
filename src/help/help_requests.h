#pragma once

#include <cstdint>
#include <string>

namespace help {

// The application's help file name ("EDUCA.chm" from start-up on).
void setApplicationHelpFile(const std::string& name);
const std::string& applicationHelpFile();

// Context request: asks the help manager to show the page mapped to the context number.
// Answers true; shows nothing and reports nothing when no viewer accepts it.
bool contextRequest(std::int32_t context);

// Command request: with command HelpContents shows the help file's table of contents.
// Nothing happens when the application's help file is empty.
bool commandRequest(std::uint16_t command, std::int32_t data);

inline constexpr std::uint16_t HelpContents = 3;

// The window that the help engine's windows belong to, handed to the engine with every call: the
// front end sets its main window's native handle once that window exists, and 0 when it has gone.
// 0 (none) until then.
void setHelpOwnerWindow(std::uintptr_t window);

} // namespace help
