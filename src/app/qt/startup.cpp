#include "app/qt/startup.h"

#include "app/logic/main_window.h"
#include "app/logic/start_request.h"
#include "app/qt/application.h"
#include "app/qt/main_form.h"
#include "help/qt/chm_help_engine.h"

namespace app::qt {

std::unique_ptr<TMForm> createMainWindow(const std::vector<std::string>& arguments)
{
    auto form = std::make_unique<TMForm>(logic::makeStartRequest(arguments));
    if (!form->controller().create())
        return nullptr;
    return form;
}

int runProgram(Application& application, const std::vector<std::string>& arguments)
{
    // Linux has no HTML Help engine: the program shows compiled help in a window of its own.
    const logic::ProgramHelp programHelp(std::make_shared<help::qt::ChmHelpEngine>());
    TMForm form(logic::makeStartRequest(arguments));
    // exit() rather than quit(): quit() asks every window to close first and gives up while one is
    // still visible, which an embedded window whose host has gone may seem to be.
    QObject::connect(
        &form, &TMForm::closed, &application, [] { QCoreApplication::exit(logic::NormalExitCode); },
        Qt::QueuedConnection);
    return logic::runMainWindow(form.controller(), [&application] { application.exec(); });
}

} // namespace app::qt
