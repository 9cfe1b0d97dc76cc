#pragma once

#include <memory>
#include <string>
#include <vector>

namespace app::qt {

class Application;
class TMForm;

// The main window MForm for the arguments that follow the program name, as logic::runMainWindow()
// has it before the show step: the layout, then logic::MainWindowController::create() (FormCreate,
// then the native window, in host mode inside the host window). For the tests that drive the window
// from there. Answers nothing when the window cannot go into the host window; the reason has then
// been shown in the error box and written to standard error.
std::unique_ptr<TMForm> createMainWindow(const std::vector<std::string>& arguments);

// The program once the application object exists: the help layer with the compiled-help window,
// then the main window's run (logic::runMainWindow) with Qt's event loop. Answers its exit code.
int runProgram(Application& application, const std::vector<std::string>& arguments);

} // namespace app::qt
