#include "app/win32/startup.h"

#include "app/logic/start_request.h"
#include "app/win32/application.h"
#include "app/win32/host_window.h"
#include "app/win32/main_form.h"
#include "help/help_engine.h"

#include <objbase.h>

namespace app::win32 {

logic::LeadBytePredicate leadBytesOf(UINT codePage)
{
    return [codePage](unsigned char byte) { return IsDBCSLeadByteEx(codePage, byte) != FALSE; };
}

std::vector<std::string> commandLineArguments()
{
    const char* line = GetCommandLineA();
    return logic::splitCommandLine(line ? line : "", leadBytesOf(CP_ACP));
}

void processMessage(TMForm* form, MSG& message)
{
    try {
        if (form && (form->preTranslateMessage(message) || form->dialogMessage(message)))
            return;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    } catch (...) {
        reportFailure(std::current_exception());
    }
}

namespace {

// The component object system for this thread, apartment-threaded (the save dialog and the help
// engine use it).
class ComApartment
{
public:
    ComApartment()
        : m_initialised(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
    {
    }
    ~ComApartment()
    {
        if (m_initialised)
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool m_initialised;
};

} // namespace

int runProgram(const std::vector<std::string>& arguments)
{
    // Declared first, so that it goes last: the help layer goes before it.
    ComApartment apartment;
    // The HTML Help engine of the system, "HHCtrl.ocx", loaded by name; help shows nothing without it.
    const logic::ProgramHelp programHelp(help::loadSystemEngine());
    ApplicationWindow applicationWindow;
    TMForm form(logic::makeStartRequest(arguments), applicationWindow, hostPlacementFor(runsUnderWine()));
    try {
        return logic::runMainWindow(form.controller(), [&form] {
            MSG message;
            while (!form.controller().hasClosed() && GetMessageW(&message, nullptr, 0, 0) > 0)
                processMessage(&form, message);
        });
    } catch (...) {
        reportFailure(std::current_exception());
    }
    return form.controller().exitCode();
}

} // namespace app::win32
