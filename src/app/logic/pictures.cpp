#include "app/logic/pictures.h"

#include <cstddef>
#include <string_view>

namespace app::logic {

const std::array<Rgb, 16> VgaPalette = {{
    {0, 0, 0},
    {128, 0, 0},
    {0, 128, 0},
    {128, 128, 0},
    {0, 0, 128},
    {128, 0, 128},
    {0, 128, 128},
    {192, 192, 192},
    {128, 128, 128},
    {255, 0, 0},
    {0, 255, 0},
    {255, 255, 0},
    {0, 0, 255},
    {255, 0, 255},
    {0, 255, 255},
    {255, 255, 255},
}};

namespace {

enum Colour : std::uint8_t
{
    Black = 0,
    Maroon = 1,
    Green = 2,
    Olive = 3,
    Grey = 8,
    Yellow = 11,
    Aqua = 14,
    White = 15,
};

using Rows = std::array<std::string_view, PictureSize>;

// One letter per pixel: '.' olive (transparent), 'k' black, 'm' maroon, 'G' green, 'y' yellow,
// 'a' aqua, 'w' white.
constexpr Rows doorRows = {
    ".....kkkkkkkkkk...", //
    ".....kGGGGwGGGk...", //
    ".....kGGGGwwGGk...", //
    ".....kGwwwwwwGk...", //
    ".....kGGGGwwGGk...", //
    ".....kGGGGwGGGk...", //
    ".....kkkkkkkkkk...", //
    "..................", //
    ".....kkkkkkkkkk...", //
    "..kk.kaaaaaaaak...", //
    "..kmkkaaaaaaaak...", //
    "..kmmkaaaaaaaak...", //
    "..kmykaaaaaaaak...", //
    "..kmmkaaaaaaaak...", //
    "..kmmkaaaaaaaak...", //
    "..kmkkaaaaaaaak...", //
    "..kk.kaaaaaaaak...", //
    ".....kkkkkkkkkk...", //
};

constexpr Rows tickRows = {
    "..................", //
    "..................", //
    "..................", //
    "..............G...", //
    ".............GG...", //
    "............GGG...", //
    "...........GGG....", //
    "..G.......GGG.....", //
    "..GG.....GGG......", //
    "..GGG...GGG.......", //
    "...GGG.GGG........", //
    "....GGGGG.........", //
    ".....GGG..........", //
    "......G...........", //
    "..................", //
    "..................", //
    "..................", //
    "..................", //
};

std::uint8_t colourOfLetter(char letter)
{
    switch (letter) {
    case 'k':
        return Black;
    case 'm':
        return Maroon;
    case 'G':
        return Green;
    case 'y':
        return Yellow;
    case 'a':
        return Aqua;
    case 'w':
        return White;
    default:
        return Olive;
    }
}

class PictureBitmap
{
public:
    PictureBitmap()
    {
        m_bitmap.width = 2 * PictureSize;
        m_bitmap.height = PictureSize;
        m_bitmap.pixels.assign(std::size_t(2 * PictureSize * PictureSize), Olive);
    }

    std::uint8_t at(int x, int y) const { return m_bitmap.at(x, y); }
    void set(int x, int y, std::uint8_t colour)
    {
        m_bitmap.pixels[std::size_t(y) * std::size_t(m_bitmap.width) + std::size_t(x)] = colour;
    }
    IndexedBitmap take() { return std::move(m_bitmap); }

private:
    IndexedBitmap m_bitmap;
};

// The disabled picture is the enabled one's outline in grey, embossed with white one pixel to the
// lower right: the black lines and every pixel at the edge of a shape turn grey.
void drawDisabledHalf(PictureBitmap& bitmap)
{
    auto opaquePixel = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < PictureSize && y < PictureSize && bitmap.at(x, y) != Olive;
    };
    for (int y = 0; y < PictureSize; ++y) {
        for (int x = 0; x < PictureSize; ++x) {
            if (!opaquePixel(x, y))
                continue;
            const bool edge
                = !opaquePixel(x - 1, y) || !opaquePixel(x + 1, y) || !opaquePixel(x, y - 1) || !opaquePixel(x, y + 1);
            if (edge || bitmap.at(x, y) == Black)
                bitmap.set(PictureSize + x, y, Grey);
        }
    }
    for (int y = 0; y + 1 < PictureSize; ++y) {
        for (int x = 0; x + 1 < PictureSize; ++x) {
            if (bitmap.at(PictureSize + x, y) == Grey && bitmap.at(PictureSize + x + 1, y + 1) == Olive)
                bitmap.set(PictureSize + x + 1, y + 1, White);
        }
    }
}

IndexedBitmap pictureFromRows(const Rows& rows)
{
    PictureBitmap bitmap;
    for (int y = 0; y < PictureSize; ++y) {
        for (int x = 0; x < PictureSize; ++x)
            bitmap.set(x, y, colourOfLetter(rows[std::size_t(y)][std::size_t(x)]));
    }
    drawDisabledHalf(bitmap);
    return bitmap.take();
}

} // namespace

IndexedBitmap buttonPicture(Picture picture)
{
    switch (picture) {
    case Picture::Door:
        return pictureFromRows(doorRows);
    case Picture::Tick:
        return pictureFromRows(tickRows);
    case Picture::None:
        break;
    }
    return {};
}

ArgbImage pictureHalf(const IndexedBitmap& bitmap, bool enabled)
{
    ArgbImage half;
    if (bitmap.width < 2 || bitmap.height < 1)
        return half;
    half.width = bitmap.width / 2;
    half.height = bitmap.height;
    half.pixels.reserve(std::size_t(half.width) * std::size_t(half.height));
    const std::uint8_t transparent = bitmap.at(0, bitmap.height - 1);
    const int offset = enabled ? 0 : half.width;
    for (int y = 0; y < half.height; ++y) {
        for (int x = 0; x < half.width; ++x) {
            const std::uint8_t index = bitmap.at(offset + x, y);
            half.pixels.push_back(index == transparent ? 0u : opaque(VgaPalette[index & 0x0F]));
        }
    }
    return half;
}

ArgbImage programIcon()
{
    constexpr int size = 24;
    constexpr int fieldHeight = size * 2 / 3;
    constexpr Rgb red {204, 0, 0};
    constexpr Rgb darkRed {128, 0, 0};
    constexpr Rgb gold {255, 204, 0};
    constexpr Rgb darkGold {176, 128, 0};

    ArgbImage icon;
    icon.width = size;
    icon.height = size;
    icon.pixels.assign(std::size_t(size * size), 0u);
    const auto set = [&icon](int x, int y, Rgb colour) {
        icon.pixels[std::size_t(y) * std::size_t(size) + std::size_t(x)] = opaque(colour);
    };
    for (int y = 0; y < fieldHeight; ++y) {
        for (int x = 0; x < size; ++x) {
            const bool border = x == 0 || y == 0 || x == size - 1 || y == fieldHeight - 1;
            set(x, y, border ? darkRed : red);
        }
    }
    // A crown over a small shield, centred across the field in its upper half.
    constexpr std::array<std::string_view, 11> emblem = {
        "k..kk..k", //
        "kk.kk.kk", //
        "kkkkkkkk", //
        "kkkkkkkk", //
        "dddddddd", //
        "........", //
        ".kkkkkk.", //
        ".kkrrkk.", //
        ".kkrrkk.", //
        "..kkkk..", //
        "...kk...", //
    };
    constexpr int left = (size - 8) / 2;
    constexpr int top = 2;
    for (int y = 0; y < int(emblem.size()); ++y) {
        for (int x = 0; x < 8; ++x) {
            const char letter = emblem[std::size_t(y)][std::size_t(x)];
            if (letter == 'k')
                set(left + x, top + y, gold);
            else if (letter == 'd')
                set(left + x, top + y, darkGold);
            else if (letter == 'r')
                set(left + x, top + y, darkRed);
        }
    }
    return icon;
}

} // namespace app::logic
