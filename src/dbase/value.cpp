#include "dbase/value.h"

#include "platform/codepage.h"

namespace dbase {

Value toValue(const ValueView& view)
{
    return std::visit(
        [](const auto& value) -> Value {
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, RawText>) {
                if (value.codePage == 0)
                    return std::string(value.bytes);
                return platform::toUtf8(value.bytes, value.codePage);
            } else {
                return value;
            }
        },
        view);
}

} // namespace dbase
