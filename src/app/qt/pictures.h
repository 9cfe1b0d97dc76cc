#pragma once

#include "app/logic/image.h"

#include <QImage>

namespace app::qt {

// An image of the window-free logic as a QImage of the same size: ARGB32, or RGB32 for an opaque one.
// Empty for an empty image.
QImage toQImage(const logic::ArgbImage& image, QImage::Format format = QImage::Format_ARGB32);

// A colour of the palette as the logic takes it.
logic::Rgb toRgb(const QColor& colour);

} // namespace app::qt
