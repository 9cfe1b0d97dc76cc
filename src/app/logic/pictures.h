#pragma once

#include "app/logic/image.h"
#include "app/logic/layout.h"

#include <array>
#include <cstdint>
#include <vector>

namespace app::logic {

// The 16 colours of the button pictures, in the order of a 4-bit Windows bitmap's colour table:
// black, maroon, green, olive, navy, purple, teal, silver, grey, red, lime, yellow, blue, fuchsia,
// aqua, white.
extern const std::array<Rgb, 16> VgaPalette;

// The side of a button picture and of each of its two images.
inline constexpr int PictureSize = 18;

// A button picture: one 36 by 18 bitmap in the 16 colours, the image for the enabled button on the
// left and its grey outline, embossed with white, for the disabled button on the right. The colour of
// the bottom-left pixel (olive) is the transparent one. Door: an open door with a green sign above it
// (the close button); Tick: a green tick (the export button). Picture::None gives an empty bitmap.
IndexedBitmap buttonPicture(Picture picture);

// One image of a button picture (the enabled or the disabled half) with the bitmap's transparent
// colour made transparent.
ArgbImage pictureHalf(const IndexedBitmap& bitmap, bool enabled);

// The program's icon: 24 by 24, a red field with a small gold emblem in its upper middle; the lowest
// third is transparent.
ArgbImage programIcon();

// The bytes of a Windows icon file (.ico) holding the image as its one entry: a 32-bit image with its
// alpha channel, stored bottom-up, and the mask (a set bit for each fully transparent pixel, rows
// padded to 32 bits). Images up to 255 by 255; an empty image gives an empty file.
std::vector<std::uint8_t> iconFile(const ArgbImage& image);

} // namespace app::logic
