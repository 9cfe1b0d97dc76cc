#include "app/logic/gradient.h"

#include "app/logic/geometry.h"

#include <algorithm>

namespace app::logic {

namespace {

constexpr int MaxBands = 256;

std::uint8_t channel(int bottom, int top, int band, int lastBand)
{
    if (lastBand == 0)
        return static_cast<std::uint8_t>(bottom);
    return static_cast<std::uint8_t>(bottom + mulDivRounded(band, top - bottom, lastBand));
}

} // namespace

std::vector<Rgb> blendFromBottom(int height, Rgb bottom, Rgb top)
{
    std::vector<Rgb> rows;
    if (height <= 0)
        return rows;
    rows.reserve(static_cast<std::size_t>(height));
    const int bands = std::min(height, MaxBands);
    const auto bandEdge = [&](int k) { return static_cast<int>(mulDivRounded(k, height, bands)); };
    for (int band = 0; band < bands; ++band) {
        const Rgb colour {channel(bottom.red, top.red, band, bands - 1),
            channel(bottom.green, top.green, band, bands - 1), channel(bottom.blue, top.blue, band, bands - 1)};
        for (int row = bandEdge(band); row < bandEdge(band + 1); ++row)
            rows.push_back(colour);
    }
    return rows;
}

std::vector<Rgb> gradientRows(int height, const GradientColours& colours)
{
    if (height <= 0)
        return {};
    const int split = height / 2;
    std::vector<Rgb> upper = blendFromBottom(split, colours.middle, colours.end);
    std::vector<Rgb> lower = blendFromBottom(height - split, colours.start, colours.middle);

    std::vector<Rgb> rows;
    rows.reserve(static_cast<std::size_t>(height));
    rows.insert(rows.end(), upper.rbegin(), upper.rend());
    rows.insert(rows.end(), lower.rbegin(), lower.rend());
    return rows;
}

ArgbImage panelImage(Size size, const GradientColours& colours, Rgb highlight, Rgb shadow)
{
    ArgbImage image;
    if (size.width <= 0 || size.height <= 0)
        return image;
    image.width = size.width;
    image.height = size.height;
    image.pixels.reserve(std::size_t(size.width) * std::size_t(size.height));
    for (const Rgb& row : gradientRows(size.height, colours))
        image.pixels.insert(image.pixels.end(), std::size_t(size.width), opaque(row));

    const auto set = [&image](int x, int y, Rgb colour) {
        image.pixels[std::size_t(y) * std::size_t(image.width) + std::size_t(x)] = opaque(colour);
    };
    for (int x = 0; x < size.width; ++x)
        set(x, 0, highlight);
    for (int y = 0; y < size.height; ++y)
        set(0, y, highlight);
    for (int x = 0; x < size.width; ++x)
        set(x, size.height - 1, shadow);
    for (int y = 0; y < size.height; ++y)
        set(size.width - 1, y, shadow);
    return image;
}

} // namespace app::logic
