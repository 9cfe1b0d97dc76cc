#include "app/logic/gradient.h"

#include <cmath>
#include <gtest/gtest.h>
#include <ostream>

namespace {

using app::logic::Rgb;

// Row by row instead of band by band: the band of a row is the last k whose edge k * h / n (rounded,
// halves away from zero) is at or below the row.
Rgb referenceBlendRow(int h, int rowAboveBottom, Rgb bottom, Rgb top)
{
    const int n = std::min(h, 256);
    int band = 0;
    while (band + 1 < n && std::round((band + 1) * double(h) / n) <= rowAboveBottom)
        ++band;
    const auto mix = [&](int b, int t) {
        return static_cast<std::uint8_t>(n == 1 ? b : b + std::round(band * double(t - b) / (n - 1)));
    };
    return {mix(bottom.red, top.red), mix(bottom.green, top.green), mix(bottom.blue, top.blue)};
}

Rgb referencePanelRow(int height, int row, const app::logic::GradientColours& colours)
{
    const int split = height / 2;
    if (row < split)
        return referenceBlendRow(split, split - 1 - row, colours.middle, colours.end);
    return referenceBlendRow(height - split, height - 1 - row, colours.start, colours.middle);
}

struct Panel
{
    const char* name;
    int height;
    app::logic::GradientColours colours;
};

class GradientPanel : public ::testing::TestWithParam<Panel>
{
};

TEST_P(GradientPanel, everyRowMatchesTheBandRule)
{
    const Panel& panel = GetParam();
    const std::vector<Rgb> rows = app::logic::gradientRows(panel.height, panel.colours);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(panel.height));
    for (int row = 0; row < panel.height; ++row)
        EXPECT_EQ(rows[row], referencePanelRow(panel.height, row, panel.colours)) << "row " << row;
    EXPECT_EQ(rows.front(), panel.colours.end);
    EXPECT_EQ(rows.back(), panel.colours.start);
    EXPECT_EQ(rows[panel.height / 2 - 1], panel.colours.middle);
    EXPECT_EQ(rows[panel.height / 2], panel.colours.middle);
}

INSTANTIATE_TEST_SUITE_P(Panels, GradientPanel,
    ::testing::Values(Panel {"top", 169, app::logic::TopPanelColours},
        Panel {"bottom", 97, app::logic::BottomPanelColours}, Panel {"tall", 600, app::logic::TopPanelColours},
        Panel {"tallOdd", 1001, {{0, 0, 0}, {255, 128, 7}, {3, 250, 254}}},
        Panel {"tiny", 4, {{0, 0, 0}, {255, 255, 255}, {10, 20, 30}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GradientPanel, handComputedRows)
{
    const std::vector<Rgb> top = app::logic::gradientRows(169, app::logic::TopPanelColours);
    EXPECT_EQ(top[42], (Rgb {255, 247, 238}));
    EXPECT_EQ(top[161], (Rgb {250, 215, 136})); // 7 * 6 / 84 = 0.5 rounds up
    const std::vector<Rgb> bottom = app::logic::gradientRows(97, app::logic::BottomPanelColours);
    EXPECT_EQ(bottom[72], (Rgb {201, 224, 254})); // 6.5 and 18.5 round up
}

TEST(GradientBlend, halvesRoundAwayFromZeroAndOneRowPartsTakeTheBottomColour)
{
    const std::vector<Rgb> rows = app::logic::blendFromBottom(3, {100, 100, 0}, {95, 105, 0});
    EXPECT_EQ(rows, (std::vector<Rgb> {{100, 100, 0}, {97, 103, 0}, {95, 105, 0}}));
    // One band: no division by n - 1 = 0.
    EXPECT_EQ(app::logic::blendFromBottom(1, {1, 2, 3}, {9, 9, 9}), std::vector<Rgb> {(Rgb {1, 2, 3})});
    EXPECT_EQ(
        app::logic::gradientRows(1, app::logic::TopPanelColours), std::vector<Rgb> {app::logic::TopPanelColours.start});
}

TEST(GradientBlend, tallPartHas256BandsOfOneOrTwoRows)
{
    // Red 0 to 255 over 256 bands makes each row's red its band number.
    const std::vector<Rgb> rows = app::logic::blendFromBottom(300, {0, 0, 0}, {255, 0, 0});
    ASSERT_EQ(rows.size(), 300u);
    std::vector<int> bandRows(256, 0);
    for (const Rgb& row : rows)
        ++bandRows[row.red];
    for (int band = 0; band < 256; ++band)
        EXPECT_TRUE(bandRows[band] == 1 || bandRows[band] == 2) << "band " << band;
    // b(31) = 36.33 -> 36, b(32) = 37.5 -> 38, b(33) = 38.67 -> 39
    EXPECT_EQ(bandRows[31], 2);
    EXPECT_EQ(bandRows[32], 1);
    EXPECT_EQ(rows[37].red, 31);
    EXPECT_EQ(rows[38].red, 32);
}

struct EdgeCase
{
    const char* name;
    app::logic::Size size;
};

void PrintTo(const EdgeCase& c, std::ostream* out)
{
    *out << c.name;
}

class PanelImage : public ::testing::TestWithParam<EdgeCase>
{
};

// The raised edge over the gradient: highlight along the top and the left, shadow along the bottom and
// the right, the shadow holding the top-right and bottom-left corners.
TEST_P(PanelImage, raisedEdgeOverTheGradientRows)
{
    const app::logic::Size size = GetParam().size;
    const Rgb highlight {255, 255, 254};
    const Rgb shadow {160, 160, 161};
    const app::logic::ArgbImage image = app::logic::panelImage(size, app::logic::BottomPanelColours, highlight, shadow);
    ASSERT_EQ(image.width, size.width);
    ASSERT_EQ(image.height, size.height);
    ASSERT_EQ(image.pixels.size(), static_cast<std::size_t>(size.width * size.height));
    const std::vector<Rgb> rows = app::logic::gradientRows(size.height, app::logic::BottomPanelColours);
    for (int y = 0; y < size.height; ++y) {
        for (int x = 0; x < size.width; ++x) {
            Rgb expected = rows[y];
            if (x == 0 || y == 0)
                expected = highlight;
            if (x == size.width - 1 || y == size.height - 1)
                expected = shadow;
            ASSERT_EQ(image.at(x, y), app::logic::opaque(expected)) << "x " << x << ", y " << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, PanelImage,
    ::testing::Values(EdgeCase {"bottomPanel", {633, 97}}, EdgeCase {"topPanel", {601, 169}},
        EdgeCase {"onePixel", {1, 1}}, EdgeCase {"oneRow", {5, 1}}, EdgeCase {"oneColumn", {1, 4}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PanelImage, noAreaGivesNoPixels)
{
    for (const app::logic::Size size : {app::logic::Size {0, 97}, app::logic::Size {633, 0}, app::logic::Size {-1, 5}})
        EXPECT_TRUE(app::logic::panelImage(size, app::logic::TopPanelColours, {}, {}).pixels.empty());
}

} // namespace
