#include "platform/text_system.h"

#include <windows.h>

namespace platform::detail {

char32_t upperCase(char32_t c)
{
    if (c > 0xFFFF)
        return c;
    wchar_t w[2] = {static_cast<wchar_t>(c), 0};
    CharUpperBuffW(w, 1);
    return static_cast<char32_t>(w[0]);
}

} // namespace platform::detail
