#pragma once

#include "app/logic/geometry.h"

#include <optional>

namespace app::logic {

// The window text height, in pixels, for which every position and size of the window is designed
// (the window font at 96 pixels per inch).
inline constexpr int DesignTextHeight = 13;

// A designed position or size for a display whose window text height is measuredTextHeight:
// value * measuredTextHeight / 13, rounded to the nearest pixel with halves away from zero.
// A measured height of 0 or less leaves the value as designed.
int scaleToDisplay(int value, int measuredTextHeight);

// Where a window of the given outer size goes to be centred in an area (the screen, or the host
// window's client area): (area - window) / 2 on each axis, the fraction dropped, a negative result
// becoming 0.
Position centredPosition(int areaWidth, int areaHeight, int windowWidth, int windowHeight);

// The frame around a window's client area (caption bar and borders), in pixels on each side.
struct FrameMargins
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Where a window goes to be centred on the screen by its outer size, its client area with the frame
// around it, as every window of the program is (the plain message box among them): the outer
// top-left corner, by centredPosition().
Position centredByOuterSize(Size screen, Size client, FrameMargins frame);

// The monitor the save dialog goes on: that of the program's active window, else that of its main
// window, else the primary monitor. Nothing stands for a window that is missing.
Rect saveDialogMonitor(
    const std::optional<Rect>& activeWindow, const std::optional<Rect>& mainWindow, const Rect& primary);

// Where the save dialog goes on a monitor (the monitor of the program's active window, else of its main
// window): centred across it, its top at one third of the monitor's free height; both rounded down,
// also where the dialog is larger than the monitor.
Position saveDialogPosition(const Rect& monitor, Size dialog);

} // namespace app::logic
