#include "app/logic/pictures.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>

using namespace app::logic;

namespace {

constexpr std::uint8_t Olive = 3;
const std::uint32_t Grey = opaque({128, 128, 128});
const std::uint32_t White = opaque({255, 255, 255});

std::uint8_t alpha(std::uint32_t pixel)
{
    return std::uint8_t(pixel >> 24);
}

class ButtonPicture : public ::testing::TestWithParam<Picture>
{
};

TEST_P(ButtonPicture, hasTwoHalvesAndOliveAsTransparent)
{
    const IndexedBitmap bitmap = buttonPicture(GetParam());
    ASSERT_EQ(bitmap.width, 36);
    ASSERT_EQ(bitmap.height, 18);
    EXPECT_EQ(bitmap.at(0, 17), Olive);
    EXPECT_EQ(VgaPalette[Olive], (Rgb {128, 128, 0}));
    for (const std::uint8_t index : bitmap.pixels)
        EXPECT_LT(index, 16);

    const ArgbImage enabled = pictureHalf(bitmap, true);
    const ArgbImage disabled = pictureHalf(bitmap, false);
    ASSERT_EQ(enabled.width, 18);
    ASSERT_EQ(enabled.height, 18);
    ASSERT_EQ(disabled.width, 18);
    EXPECT_EQ(alpha(enabled.at(0, 17)), 0);
    EXPECT_EQ(alpha(disabled.at(0, 17)), 0);

    // The disabled half is an outline: only grey and white, and grey only where the enabled picture
    // has a pixel.
    int greyPixels = 0;
    for (int y = 0; y < 18; ++y) {
        for (int x = 0; x < 18; ++x) {
            const std::uint32_t pixel = disabled.at(x, y);
            if (alpha(pixel) == 0)
                continue;
            EXPECT_TRUE(pixel == Grey || pixel == White) << x << "," << y;
            if (pixel == Grey) {
                ++greyPixels;
                EXPECT_NE(alpha(enabled.at(x, y)), 0) << x << "," << y;
            }
        }
    }
    EXPECT_GT(greyPixels, 10);
    std::set<std::uint32_t> colours;
    for (const std::uint32_t pixel : enabled.pixels) {
        if (alpha(pixel) != 0)
            colours.insert(pixel);
    }
    EXPECT_EQ(colours.count(opaque({0, 128, 0})), 1u); // both pictures carry green
}

INSTANTIATE_TEST_SUITE_P(Pictures, ButtonPicture, ::testing::Values(Picture::Door, Picture::Tick),
    [](const auto& info) { return info.param == Picture::Door ? std::string("door") : std::string("tick"); });

TEST(ProgramIcon, isRedWithGoldAboveAndTransparentBelow)
{
    const ArgbImage icon = programIcon();
    ASSERT_EQ(icon.width, 24);
    ASSERT_EQ(icon.height, 24);
    for (int y = 16; y < 24; ++y) {
        for (int x = 0; x < 24; ++x)
            EXPECT_EQ(alpha(icon.at(x, y)), 0) << x << "," << y;
    }
    int red = 0;
    int gold = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 24; ++x) {
            const std::uint32_t pixel = icon.at(x, y);
            const int r = (pixel >> 16) & 0xFF;
            const int g = (pixel >> 8) & 0xFF;
            const int b = pixel & 0xFF;
            EXPECT_EQ(alpha(pixel), 255) << x << "," << y;
            if (r > 150 && g < 50)
                ++red;
            if (r > 150 && g > 100 && b < 50) {
                ++gold;
                EXPECT_TRUE(x >= 6 && x < 18 && y < 14) << x << "," << y; // the emblem in the upper middle
            }
        }
    }
    EXPECT_GT(red, gold);
    EXPECT_GT(gold, 20);
}

std::uint32_t readLittleEndian(const std::vector<std::uint8_t>& bytes, std::size_t offset, int size)
{
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | bytes.at(offset + std::size_t(i));
    return value;
}

struct IconCase
{
    const char* name;
    ArgbImage image;
};

class IconFile : public ::testing::TestWithParam<IconCase>
{
};

// What a reader of icon files finds again: the sizes in the directory and the bitmap header, every
// pixel from the bottom row up, and a mask bit exactly where a pixel is transparent.
TEST_P(IconFile, holdsTheImageAndItsMask)
{
    const ArgbImage& image = GetParam().image;
    const std::vector<std::uint8_t> file = iconFile(image);
    const std::size_t maskRow = std::size_t((image.width + 31) / 32 * 4);
    const std::size_t pixels = std::size_t(image.width * image.height);
    ASSERT_EQ(file.size(), 22 + 40 + pixels * 4 + maskRow * std::size_t(image.height));
    EXPECT_EQ(readLittleEndian(file, 2, 2), 1u); // an icon
    EXPECT_EQ(readLittleEndian(file, 4, 2), 1u); // one image
    EXPECT_EQ(file[6], image.width);
    EXPECT_EQ(file[7], image.height);
    EXPECT_EQ(readLittleEndian(file, 12, 2), 32u);
    EXPECT_EQ(readLittleEndian(file, 14, 4), file.size() - 22);
    EXPECT_EQ(readLittleEndian(file, 18, 4), 22u);
    EXPECT_EQ(readLittleEndian(file, 26, 4), std::uint32_t(image.width));
    EXPECT_EQ(readLittleEndian(file, 30, 4), std::uint32_t(image.height * 2));
    EXPECT_EQ(readLittleEndian(file, 36, 2), 32u);
    const std::size_t bits = 22 + 40;
    const std::size_t mask = bits + pixels * 4;
    for (int y = 0; y < image.height; ++y) {
        const std::size_t row = std::size_t(image.height - 1 - y);
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t pixel = image.at(x, y);
            EXPECT_EQ(readLittleEndian(file, bits + (row * std::size_t(image.width) + std::size_t(x)) * 4, 4), pixel)
                << x << "," << y;
            const bool masked = file[mask + row * maskRow + std::size_t(x) / 8] & (0x80 >> (x % 8));
            EXPECT_EQ(masked, alpha(pixel) == 0) << x << "," << y;
        }
    }
}

ArgbImage stripes(int width, int height)
{
    ArgbImage image {width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.pixels.push_back((x + y) % 3 == 0 ? 0x00000000u : opaque({std::uint8_t(x), std::uint8_t(y), 7}));
    }
    return image;
}

INSTANTIATE_TEST_SUITE_P(Images, IconFile,
    ::testing::Values(IconCase {"programIcon", programIcon()}, IconCase {"oneByOne", stripes(1, 1)},
        IconCase {"widerThan32", stripes(33, 5)}, IconCase {"tall", stripes(3, 40)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IconFile, emptyOrTooLargeGivesNothing)
{
    EXPECT_TRUE(iconFile(ArgbImage {}).empty());
    EXPECT_TRUE(iconFile(stripes(256, 1)).empty());
}

// The Windows program's icon resource is this file, kept in the sources; it must be the icon above.
// On a difference the expected file is written beside the test, to be copied over the kept one.
TEST(IconFile, keptFileIsTheProgramIcon)
{
    const std::filesystem::path kept = EDUCA_PROGRAM_ICON;
    std::ifstream in(kept, std::ios::binary);
    const std::vector<std::uint8_t> file {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::vector<std::uint8_t> expected = iconFile(programIcon());
    if (file != expected) {
        std::ofstream out("TransSelvarEDUCA.ico", std::ios::binary);
        out.write(reinterpret_cast<const char*>(expected.data()), std::streamsize(expected.size()));
        FAIL() << kept << " is not the program's icon; the right one is TransSelvarEDUCA.ico in the test's folder";
    }
}

} // namespace
