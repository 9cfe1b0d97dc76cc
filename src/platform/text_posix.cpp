#include "platform/text_system.h"

#include <clocale>
#include <cwctype>
#include <locale.h>

namespace platform::detail {

char32_t upperCase(char32_t c)
{
    // Unicode case mapping of the C.UTF-8 locale, which every glibc system has.
    static locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    if (!utf8)
        return c;
    return static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), utf8));
}

} // namespace platform::detail
