#include "app/logic/window_geometry.h"

#include <algorithm>

namespace app::logic {

namespace {

int floorDivide(int value, int divisor)
{
    const int quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

} // namespace

int scaleToDisplay(int value, int measuredTextHeight)
{
    if (measuredTextHeight <= 0)
        return value;
    return static_cast<int>(mulDivRounded(value, measuredTextHeight, DesignTextHeight));
}

Position centredPosition(int areaWidth, int areaHeight, int windowWidth, int windowHeight)
{
    return {std::max(0, (areaWidth - windowWidth) / 2), std::max(0, (areaHeight - windowHeight) / 2)};
}

Position centredByOuterSize(Size screen, Size client, FrameMargins frame)
{
    return centredPosition(
        screen.width, screen.height, client.width + frame.left + frame.right, client.height + frame.top + frame.bottom);
}

Rect saveDialogMonitor(
    const std::optional<Rect>& activeWindow, const std::optional<Rect>& mainWindow, const Rect& primary)
{
    return activeWindow.value_or(mainWindow.value_or(primary));
}

Position saveDialogPosition(const Rect& monitor, Size dialog)
{
    return {monitor.left + floorDivide(monitor.width - dialog.width, 2),
        monitor.top + floorDivide(monitor.height - dialog.height, 3)};
}

} // namespace app::logic
