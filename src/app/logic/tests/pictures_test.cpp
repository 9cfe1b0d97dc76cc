#include "app/logic/pictures.h"

#include <gtest/gtest.h>
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

} // namespace
