#pragma once

#include "app/logic/command_line.h"

#include <string>
#include <vector>
#include <windows.h>

namespace app::win32 {

class TMForm;

// A lead-byte test for a code page (CP_ACP: the system's ANSI code page) through IsDBCSLeadByteEx.
logic::LeadBytePredicate leadBytesOf(UINT codePage);

// The arguments after the program name: the process's command line (GetCommandLineA) through the
// program's splitter, stepping over the ANSI code page's double-byte characters.
std::vector<std::string> commandLineArguments();

// Handles one message of the loop: the main window's own keys first, then the dialog manager, then
// the message's window. A failure that leaves a handler is shown in the error box.
void processMessage(TMForm* form, MSG& message);

// The program: the help layer, the application window, the main window for the command line, and the
// message loop until the main window has closed. Answers the exit code: 0 after the window has
// closed, 1 when it could not go into the host window (then nothing is shown but the error box).
int runProgram(const std::vector<std::string>& arguments);

} // namespace app::win32
