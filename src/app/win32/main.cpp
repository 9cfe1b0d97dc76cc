#include "app/win32/startup.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // The command line as the system keeps it in its ANSI code page, not the one given here.
    return app::win32::runProgram(app::win32::commandLineArguments());
}
