#pragma once

#include <memory>
#include <string>
#include <vector>

namespace app::qt {

class Application;
class TMForm;

// Creates the main window MForm for the arguments that follow the program name: the layout, then
// logic::MainWindowController::create() (FormCreate, then the native window, in host mode inside the
// host window). Answers nothing when the window cannot go into the host window; the reason has then
// been shown in the error box and written to standard error.
std::unique_ptr<TMForm> createMainWindow(const std::vector<std::string>& arguments);

// The program once the application object exists: sets the help file, creates and shows the main
// window and runs the event loop until the window has closed. Answers the exit code: 0 after the
// window has closed, 1 when it could not be created inside the host window.
int runProgram(Application& application, const std::vector<std::string>& arguments);

} // namespace app::qt
