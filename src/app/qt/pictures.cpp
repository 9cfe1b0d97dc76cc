#include "app/qt/pictures.h"

#include <QColor>
#include <algorithm>

namespace app::qt {

QImage toQImage(const logic::ArgbImage& image, QImage::Format format)
{
    if (image.width <= 0 || image.height <= 0)
        return {};
    // Both formats hold one 0xAARRGGBB word per pixel, which is what the logic's pixels are.
    QImage converted(image.width, image.height, format);
    for (int y = 0; y < image.height; ++y) {
        const auto* row = image.pixels.data() + std::size_t(y) * std::size_t(image.width);
        std::copy(row, row + image.width, reinterpret_cast<QRgb*>(converted.scanLine(y)));
    }
    return converted;
}

logic::Rgb toRgb(const QColor& colour)
{
    const QRgb rgb = colour.rgb();
    return {std::uint8_t(qRed(rgb)), std::uint8_t(qGreen(rgb)), std::uint8_t(qBlue(rgb))};
}

} // namespace app::qt
