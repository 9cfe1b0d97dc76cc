#include "app/logic/command_line.h"
#include "app/qt/application.h"
#include "app/qt/startup.h"

#include <span>

int main(int argc, char** argv)
{
    // Read before the application object takes the options meant for Qt out of argv.
    const auto arguments = app::logic::argumentsFromArgv(std::span<const char* const>(argv, std::size_t(argc)));
    app::qt::Application application(argc, argv);
    return app::qt::runProgram(application, arguments);
}
