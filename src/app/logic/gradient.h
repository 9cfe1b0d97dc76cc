#pragma once

#include "app/logic/geometry.h"
#include "app/logic/image.h"

#include <vector>

namespace app::logic {

// The three colours of a gradient panel.
struct GradientColours
{
    Rgb end; // at the top
    Rgb middle; // at the centre
    Rgb start; // at the bottom
};

// The top panel (Draw3D3) and the bottom panel (Draw3D1) of the main window.
inline constexpr GradientColours TopPanelColours {{255, 238, 221}, {255, 255, 255}, {249, 211, 125}};
inline constexpr GradientColours BottomPanelColours {{204, 216, 230}, {207, 242, 254}, {194, 205, 254}};

// The colour of every row (top to bottom) of a gradient panel of the given height, before its edge is
// drawn. The panel splits at height / 2 (rounded down): the upper part blends from the middle colour
// at its bottom to the end colour at its top, the lower part from the start colour at its bottom to
// the middle colour at its top. Empty for a height of 0 or less.
std::vector<Rgb> gradientRows(int height, const GradientColours& colours);

// The colours of a blend over a part of the given height, from its lowest row upwards.
// The part is cut into min(height, 256) bands from the bottom; band i covers the rows b(i) to
// b(i + 1) - 1 above the bottom edge, b(k) = k * height / n rounded half away from zero, and its
// colour is bottom + i * (top - bottom) / (n - 1), rounded half away from zero per channel.
// A part of one row has the bottom colour.
std::vector<Rgb> blendFromBottom(int height, Rgb bottom, Rgb top);

// The pixels of a gradient panel of the given size: the rows of gradientRows() with a raised edge one
// pixel wide, the top row and left column in the highlight colour (the system's button highlight),
// the bottom row and right column in the shadow colour (its button shadow); the shadow is drawn last,
// so it holds the top-right and bottom-left corners. Empty for a width or height of 0 or less.
ArgbImage panelImage(Size size, const GradientColours& colours, Rgb highlight, Rgb shadow);

} // namespace app::logic
