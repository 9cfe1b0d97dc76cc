#include "app/logic/window_geometry.h"

#include <gtest/gtest.h>
#include <ostream>
#include <tuple>

namespace {

class ScaleToDisplay : public ::testing::TestWithParam<std::tuple<int, int, int>>
{
};

TEST_P(ScaleToDisplay, scalesByTextHeightOver13RoundingToNearest)
{
    const auto [value, measured, expected] = GetParam();
    EXPECT_EQ(app::logic::scaleToDisplay(value, measured), expected);
}

INSTANTIATE_TEST_SUITE_P(Values, ScaleToDisplay,
    ::testing::Values(std::tuple {620, 13, 620}, std::tuple {620, 16, 763}, std::tuple {266, 16, 327},
        std::tuple {89, 16, 110}, std::tuple {25, 26, 50}, std::tuple {-18, 16, -22}, std::tuple {0, 20, 0},
        std::tuple {620, 0, 620}, std::tuple {169, 10, 130}));

TEST(CentredPosition, dropsTheFractionAndNeverGoesNegative)
{
    EXPECT_EQ(app::logic::centredPosition(1024, 768, 626, 295), (app::logic::Position {199, 236}));
    EXPECT_EQ(app::logic::centredPosition(1024, 768, 1024, 768), (app::logic::Position {0, 0}));
    EXPECT_EQ(app::logic::centredPosition(640, 200, 700, 295), (app::logic::Position {0, 0}));
    EXPECT_EQ(app::logic::centredPosition(700, 480, 641, 100), (app::logic::Position {29, 190}));
}

// By the outer size, frame included: (1024 - 206) / 2, (768 - 125) / 2, not by the client's 200 by 100.
TEST(CentredPosition, ofAFramedWindowGoesByItsOuterSize)
{
    EXPECT_EQ(
        app::logic::centredByOuterSize({1024, 768}, {200, 100}, {3, 22, 3, 3}), (app::logic::Position {409, 321}));
}

struct SaveDialogCase
{
    const char* name;
    app::logic::Rect monitor;
    app::logic::Size dialog;
    app::logic::Position expected;
};

void PrintTo(const SaveDialogCase& c, std::ostream* out)
{
    *out << c.name;
}

class SaveDialogPlacement : public ::testing::TestWithParam<SaveDialogCase>
{
};

TEST_P(SaveDialogPlacement, centredAcrossWithItsTopAtAThirdOfTheFreeHeight)
{
    EXPECT_EQ(app::logic::saveDialogPosition(GetParam().monitor, GetParam().dialog), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Monitors, SaveDialogPlacement,
    ::testing::Values(SaveDialogCase {"plain", {0, 0, 1024, 768}, {600, 400}, {212, 122}},
        SaveDialogCase {"roundedDown", {0, 0, 1025, 770}, {600, 400}, {212, 123}},
        SaveDialogCase {"secondMonitor", {1920, 0, 1280, 1024}, {640, 480}, {2240, 181}},
        // Larger than the monitor: still rounded down, so it reaches past the top-left corner.
        SaveDialogCase {"largerThanTheMonitor", {0, 0, 800, 600}, {801, 604}, {-1, -2}},
        SaveDialogCase {"monitorLeftOfThePrimary", {-1280, 100, 1280, 1024}, {640, 480}, {-960, 281}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
