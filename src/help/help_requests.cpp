#include "help/help_requests.h"

#include "help/help_manager.h"
#include "help/help_unit.h"

namespace help {

void setApplicationHelpFile(const std::string& name)
{
    applicationHelp().setApplicationHelpFile(name);
}

const std::string& applicationHelpFile()
{
    return applicationHelp().applicationHelpFile();
}

void setHelpOwnerWindow(std::uintptr_t window)
{
    applicationHelp().manager()->setOwnerWindow(window);
}

bool contextRequest(std::int32_t context)
{
    return applicationHelp().contextRequest(context);
}

bool commandRequest(std::uint16_t command, std::int32_t data)
{
    return applicationHelp().commandRequest(command, data);
}

} // namespace help
