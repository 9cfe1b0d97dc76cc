#pragma once

#include <QImage>
#include <QPixmap>
#include <array>

namespace app::qt {

// The 16 colours of the button pictures, in the order of a 4-bit Windows bitmap's colour table:
// black, maroon, green, olive, navy, purple, teal, silver, grey, red, lime, yellow, blue, fuchsia,
// aqua, white.
extern const std::array<QRgb, 16> vgaColours;

// A button picture: one 36 by 18 bitmap in the 16 colours, the picture for the enabled button on
// the left and its grey outline for the disabled button on the right. The colour of the bottom-left
// pixel (olive) is the transparent one.
QImage doorPicture(); // an open door with a green sign above it (the close button)
QImage tickPicture(); // a green tick (the export button)

// One half of a button picture as a pixmap, the bitmap's transparent colour made transparent.
QPixmap pictureHalf(const QImage& bitmap, bool enabled);

// The program's icon: 24 by 24, a red field with a small gold emblem in its upper middle; the lowest
// third is transparent.
QImage programIcon();

} // namespace app::qt
