#include "app/logic/window_geometry.h"

#include <algorithm>

namespace app::logic {

int scaleToDisplay(int value, int measuredTextHeight)
{
    if (measuredTextHeight <= 0)
        return value;
    return static_cast<int>(mulDivRounded(value, measuredTextHeight, designTextHeight));
}

Position centredPosition(int areaWidth, int areaHeight, int windowWidth, int windowHeight)
{
    return {std::max(0, (areaWidth - windowWidth) / 2), std::max(0, (areaHeight - windowHeight) / 2)};
}

} // namespace app::logic
