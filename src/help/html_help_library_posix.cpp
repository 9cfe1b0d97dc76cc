// No HTML Help engine on this system: the help layer shows nothing. The desktop program is the
// Windows one; on Linux it runs under Wine, whose engine it uses.
#include "help/help_engine.h"

namespace help {

std::shared_ptr<HelpEngine> loadSystemEngine()
{
    return nullptr;
}

} // namespace help
