#include "app/logic/host_window.h"

#include "app/logic/texts.h"

#include <fmt/format.h>

namespace app::logic {

std::optional<std::string> hostWindowFailureText(HostWindowCheck check, std::uint32_t handle)
{
    switch (check) {
    case HostWindowCheck::Usable:
        return std::nullopt;
    case HostWindowCheck::Missing:
        return fmt::format(fmt::runtime(texts::HostWindowMissing), handle);
    case HostWindowCheck::Refused:
        return fmt::format(fmt::runtime(texts::HostWindowRefused), handle);
    }
    return fmt::format(fmt::runtime(texts::HostWindowMissing), handle);
}

} // namespace app::logic
