#include "app/qt/pictures.h"

#include <cstddef>
#include <string_view>

namespace app::qt {

const std::array<QRgb, 16> vgaColours = {
    qRgb(0, 0, 0),
    qRgb(128, 0, 0),
    qRgb(0, 128, 0),
    qRgb(128, 128, 0),
    qRgb(0, 0, 128),
    qRgb(128, 0, 128),
    qRgb(0, 128, 128),
    qRgb(192, 192, 192),
    qRgb(128, 128, 128),
    qRgb(255, 0, 0),
    qRgb(0, 255, 0),
    qRgb(255, 255, 0),
    qRgb(0, 0, 255),
    qRgb(255, 0, 255),
    qRgb(0, 255, 255),
    qRgb(255, 255, 255),
};

namespace {

constexpr int pictureSize = 18;

enum Colour : uchar
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

using Rows = std::array<std::string_view, pictureSize>;

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

uchar colourOfLetter(char letter)
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

// The disabled picture is the enabled one's outline in grey, embossed with white one pixel to the
// lower right: the black lines and every pixel at the edge of a shape turn grey.
void drawDisabledHalf(QImage& bitmap)
{
    auto opaque = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < pictureSize && y < pictureSize && bitmap.pixelIndex(x, y) != Olive;
    };
    for (int y = 0; y < pictureSize; ++y) {
        for (int x = 0; x < pictureSize; ++x) {
            if (!opaque(x, y))
                continue;
            const bool edge = !opaque(x - 1, y) || !opaque(x + 1, y) || !opaque(x, y - 1) || !opaque(x, y + 1);
            if (edge || bitmap.pixelIndex(x, y) == Black)
                bitmap.setPixel(pictureSize + x, y, Grey);
        }
    }
    for (int y = 0; y + 1 < pictureSize; ++y) {
        for (int x = 0; x + 1 < pictureSize; ++x) {
            if (bitmap.pixelIndex(pictureSize + x, y) == Grey && bitmap.pixelIndex(pictureSize + x + 1, y + 1) == Olive)
                bitmap.setPixel(pictureSize + x + 1, y + 1, White);
        }
    }
}

QImage pictureFromRows(const Rows& rows)
{
    QImage bitmap(2 * pictureSize, pictureSize, QImage::Format_Indexed8);
    bitmap.setColorTable(QList<QRgb>(vgaColours.begin(), vgaColours.end()));
    bitmap.fill(Olive);
    for (int y = 0; y < pictureSize; ++y) {
        for (int x = 0; x < pictureSize; ++x)
            bitmap.setPixel(x, y, colourOfLetter(rows[std::size_t(y)][std::size_t(x)]));
    }
    drawDisabledHalf(bitmap);
    return bitmap;
}

} // namespace

QImage doorPicture()
{
    return pictureFromRows(doorRows);
}

QImage tickPicture()
{
    return pictureFromRows(tickRows);
}

QPixmap pictureHalf(const QImage& bitmap, bool enabled)
{
    const int width = bitmap.width() / 2;
    QImage half = bitmap.copy(enabled ? 0 : width, 0, width, bitmap.height()).convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = bitmap.pixel(0, bitmap.height() - 1);
    for (int y = 0; y < half.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(half.scanLine(y));
        for (int x = 0; x < half.width(); ++x) {
            if (line[x] == transparent)
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return QPixmap::fromImage(half);
}

QImage programIcon()
{
    constexpr int size = 24;
    constexpr int fieldHeight = size * 2 / 3;
    const QRgb red = qRgb(204, 0, 0);
    const QRgb darkRed = qRgb(128, 0, 0);
    const QRgb gold = qRgb(255, 204, 0);
    const QRgb darkGold = qRgb(176, 128, 0);

    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(qRgba(0, 0, 0, 0));
    for (int y = 0; y < fieldHeight; ++y) {
        for (int x = 0; x < size; ++x) {
            const bool border = x == 0 || y == 0 || x == size - 1 || y == fieldHeight - 1;
            icon.setPixel(x, y, border ? darkRed : red);
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
                icon.setPixel(left + x, top + y, gold);
            else if (letter == 'd')
                icon.setPixel(left + x, top + y, darkGold);
            else if (letter == 'r')
                icon.setPixel(left + x, top + y, darkRed);
        }
    }
    return icon;
}

} // namespace app::qt
