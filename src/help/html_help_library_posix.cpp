// No HTML Help engine of the system's own: the help layer's caller brings one (src/help/qt).
#include "help/help_engine.h"

namespace help {

std::shared_ptr<HelpEngine> loadSystemEngine()
{
    return nullptr;
}

} // namespace help
