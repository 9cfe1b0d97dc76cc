#include "app/logic/message_box.h"

#include <gtest/gtest.h>

namespace {

struct LayoutCase
{
    const char* name;
    app::logic::MessageBoxMetrics metrics;
    app::logic::MessageBoxLayout expected;
};

class MessageBoxLayout : public ::testing::TestWithParam<LayoutCase>
{
};

TEST_P(MessageBoxLayout, placesTextAndButton)
{
    const app::logic::MessageBoxLayout layout = app::logic::layoutMessageBox(GetParam().metrics);
    EXPECT_EQ(layout.client, GetParam().expected.client);
    EXPECT_EQ(layout.text, GetParam().expected.text);
    EXPECT_EQ(layout.button, GetParam().expected.button);
}

// Margins 2 widths and 1 height, spacing 1.25 heights, button 1.75 heights by 12.5 widths.
INSTANTIATE_TEST_SUITE_P(Boxes, MessageBoxLayout,
    ::testing::Values(
        // 16.25 -> 16, 22.75 -> 23; the button (75) is narrower than the text
        LayoutCase {"shortText", {6, 13, {97, 13}, 39}, {{121, 78}, {12, 13, 97, 13}, {23, 42, 75, 23}}},
        // 87.5 -> 88, 17.5 -> 18, 24.5 -> 25; the button is wider than the text
        LayoutCase {"halvesRoundUp", {7, 14, {40, 14}, 39}, {{116, 85}, {14, 14, 40, 14}, {14, 46, 88, 25}}},
        // caption 100 + 8 beats 75
        LayoutCase {"wideCaption", {6, 13, {50, 13}, 100}, {{132, 78}, {12, 13, 50, 13}, {12, 42, 108, 23}}},
        // wrapped at 512: (536 - 75) / 2 drops its half
        LayoutCase {"longText", {6, 13, {512, 65}, 39}, {{536, 130}, {12, 13, 512, 65}, {230, 94, 75, 23}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MessageBoxMetrics, averageWidthAndWrapWidthRoundDown)
{
    EXPECT_EQ(app::logic::averageCharWidth(363), 6);
    EXPECT_EQ(app::logic::averageCharWidth(364), 7);
    EXPECT_EQ(app::logic::messageWrapWidth(1023), 511);
}

TEST(MessageBoxClipboard, sevenLinesWithDividers)
{
    const std::string dashes(27, '-');
    EXPECT_EQ(app::logic::messageBoxClipboardText("TransSelvarEDUCA", "Proceso finalizado", {"Aceptar"}),
        dashes + "\r\nTransSelvarEDUCA\r\n" + dashes + "\r\nProceso finalizado\r\n" + dashes + "\r\nAceptar   \r\n"
            + dashes + "\r\n");
    EXPECT_EQ(app::logic::messageBoxClipboardText("T", "M", {"&Sí", "&No && más"}),
        dashes + "\r\nT\r\n" + dashes + "\r\nM\r\n" + dashes + "\r\nSí   No  más   \r\n" + dashes + "\r\n");
}

} // namespace
