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
constexpr Rows DoorRows = {
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

constexpr Rows TickRows = {
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
        return pictureFromRows(DoorRows);
    case Picture::Tick:
        return pictureFromRows(TickRows);
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

namespace {

void putLittleEndian(std::vector<std::uint8_t>& bytes, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.push_back(std::uint8_t(value >> (8 * i)));
}

} // namespace

std::vector<std::uint8_t> iconFile(const ArgbImage& image)
{
    if (image.width <= 0 || image.height <= 0 || image.width > 255 || image.height > 255)
        return {};
    const auto width = std::uint32_t(image.width);
    const auto height = std::uint32_t(image.height);
    constexpr std::uint32_t directorySize = 6 + 16;
    constexpr std::uint32_t headerSize = 40;
    const std::uint32_t maskRowSize = (width + 31) / 32 * 4;
    const std::uint32_t imageSize = headerSize + width * height * 4 + maskRowSize * height;

    std::vector<std::uint8_t> bytes;
    bytes.reserve(directorySize + imageSize);
    // The directory: reserved, type 1 (icon), one entry.
    putLittleEndian(bytes, 0, 2);
    putLittleEndian(bytes, 1, 2);
    putLittleEndian(bytes, 1, 2);
    // The entry: width, height, no colour table, reserved, one plane, 32 bits, size, offset.
    putLittleEndian(bytes, width, 1);
    putLittleEndian(bytes, height, 1);
    putLittleEndian(bytes, 0, 1);
    putLittleEndian(bytes, 0, 1);
    putLittleEndian(bytes, 1, 2);
    putLittleEndian(bytes, 32, 2);
    putLittleEndian(bytes, imageSize, 4);
    putLittleEndian(bytes, directorySize, 4);
    // The bitmap header counts the image and its mask in its height.
    putLittleEndian(bytes, headerSize, 4);
    putLittleEndian(bytes, width, 4);
    putLittleEndian(bytes, height * 2, 4);
    putLittleEndian(bytes, 1, 2);
    putLittleEndian(bytes, 32, 2);
    for (int field = 0; field < 6; ++field)
        putLittleEndian(bytes, 0, 4);
    // Rows from the bottom; each pixel as blue, green, red, alpha.
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x)
            putLittleEndian(bytes, image.at(x, y), 4);
    }
    for (int y = image.height - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(maskRowSize, 0);
        for (int x = 0; x < image.width; ++x) {
            if ((image.at(x, y) >> 24) == 0)
                row[std::size_t(x) / 8] |= std::uint8_t(0x80u >> (x % 8));
        }
        bytes.insert(bytes.end(), row.begin(), row.end());
    }
    return bytes;
}

} // namespace app::logic
