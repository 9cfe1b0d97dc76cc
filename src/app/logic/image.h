#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace app::logic {

struct Rgb
{
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// An opaque 32-bit pixel 0xAARRGGBB of that colour.
constexpr std::uint32_t opaque(Rgb colour)
{
    return 0xFF000000u | (std::uint32_t(colour.red) << 16) | (std::uint32_t(colour.green) << 8) | colour.blue;
}

// A bitmap whose pixels are indices into a colour table, row by row from the top.
struct IndexedBitmap
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    std::uint8_t at(int x, int y) const { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

// 32-bit pixels 0xAARRGGBB (alpha 0: transparent), row by row from the top.
struct ArgbImage
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t at(int x, int y) const { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

} // namespace app::logic
