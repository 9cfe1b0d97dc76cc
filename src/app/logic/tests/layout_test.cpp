#include "app/logic/layout.h"

#include <gtest/gtest.h>
#include <ostream>
#include <set>

using namespace app::logic;

namespace {

// The window creates the table's rows in order: every parent must come before its children.
TEST(MainWindowLayout, namesAreUniqueAndParentsComeFirst)
{
    std::set<Element> seen;
    std::set<std::string_view> names;
    for (const ElementLayout& row : MainWindowLayout) {
        EXPECT_TRUE(row.parent == row.element || seen.count(row.parent)) << row.name;
        EXPECT_TRUE(names.insert(row.name).second) << row.name;
        EXPECT_EQ(elementNamed(row.name), row.element);
        EXPECT_EQ(&layoutOf(row.element), &row);
        seen.insert(row.element);
    }
    EXPECT_EQ(elementNamed("Label2"), std::nullopt);
    EXPECT_EQ(elementNamed("bclose"), std::nullopt);
}

// The top panel lies in front of the bottom one where they overlap (client row 168).
TEST(MainWindowLayout, topPanelComesAfterTheBottomPanelAndOverlapsItsFirstRow)
{
    const auto position = [](Element element) { return &layoutOf(element) - MainWindowLayout.data(); };
    EXPECT_GT(position(Element::Draw3D3), position(Element::Draw3D1));
    const Rect top = layoutOf(Element::Draw3D3).rect;
    const Rect bottom = layoutOf(Element::Draw3D1).rect;
    EXPECT_EQ(top.top + top.height - 1, bottom.top);
}

struct HelpCase
{
    Element element;
    int context;
};

class HelpContextOf : public ::testing::TestWithParam<HelpCase>
{
};

TEST_P(HelpContextOf, walksOutToTheFirstNonZeroContext)
{
    EXPECT_EQ(helpContextOf(GetParam().element), GetParam().context);
}

// Every element gives 1: the labels have none of their own and take their panel's.
INSTANTIATE_TEST_SUITE_P(Elements, HelpContextOf,
    ::testing::Values(HelpCase {Element::MForm, 1}, HelpCase {Element::Draw3D1, 1}, HelpCase {Element::Draw3D3, 1},
        HelpCase {Element::Label4, 1}, HelpCase {Element::BImportar, 1}, HelpCase {Element::Label1, 1},
        HelpCase {Element::BClose, 1}, HelpCase {Element::Button1, 1}));

TEST(MainWindowLayout, tabOrderIsCloseHelpExportAndTheExportButtonIsTheDefault)
{
    EXPECT_EQ(tabOrder(), (std::vector<Element> {Element::BClose, Element::Button1, Element::BImportar}));
    EXPECT_EQ(defaultButton(), Element::BImportar);
}

struct AccessKeyCase
{
    const char* caption;
    std::optional<char> key;
};

class AccessKey : public ::testing::TestWithParam<AccessKeyCase>
{
};

TEST_P(AccessKey, isTheCharacterAfterTheFirstSingleAmpersand)
{
    EXPECT_EQ(accessKey(GetParam().caption), GetParam().key);
}

INSTANTIATE_TEST_SUITE_P(Captions, AccessKey,
    ::testing::Values(AccessKeyCase {"&Salir", 'S'}, AccessKeyCase {"&salir", 'S'}, AccessKeyCase {"Sa&lir", 'L'},
        AccessKeyCase {"F&1", '1'}, AccessKeyCase {"A&&B", std::nullopt}, AccessKeyCase {"A&&B&c", 'C'},
        AccessKeyCase {"Aceptar", std::nullopt}, AccessKeyCase {"F1 AYUDA", std::nullopt},
        AccessKeyCase {"fin&", std::nullopt}, AccessKeyCase {"& x", std::nullopt}, AccessKeyCase {"", std::nullopt}));

struct PictureButtonCase
{
    const char* name;
    Size button;
    int captionWidth;
    PictureButtonLayout expected;
};

void PrintTo(const PictureButtonCase& c, std::ostream* out)
{
    *out << c.name;
}

class PictureButton : public ::testing::TestWithParam<PictureButtonCase>
{
};

TEST_P(PictureButton, pictureAndCaptionAreCentredTogether)
{
    const PictureButtonLayout layout = layoutPictureButton(GetParam().button, {18, 18}, GetParam().captionWidth);
    EXPECT_EQ(layout.picture, GetParam().expected.picture);
    EXPECT_EQ(layout.caption, GetParam().expected.caption);
}

INSTANTIATE_TEST_SUITE_P(Buttons, PictureButton,
    ::testing::Values(
        // (89 - (18 + 4 + 27)) / 2 = 20; (25 - 18) / 2 = 3.
        PictureButtonCase {"salir", {89, 25}, 27, {{20, 3, 18, 18}, {42, 0, 27, 25}}},
        // An odd remainder leaves the extra pixel on the right.
        PictureButtonCase {"oddRemainder", {89, 25}, 40, {{13, 3, 18, 18}, {35, 0, 40, 25}}},
        // Too wide for the button: both halves of the overflow go out, rounded towards zero.
        PictureButtonCase {"tooWide", {40, 16}, 40, {{-11, -1, 18, 18}, {11, 0, 40, 16}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScaledRect, scalesEveryValueByTheTextHeight)
{
    EXPECT_EQ(scaledRect({18, 0, 601, 169}, 13), (Rect {18, 0, 601, 169}));
    EXPECT_EQ(scaledRect({18, 0, 601, 169}, 16), (Rect {22, 0, 740, 208}));
    EXPECT_EQ(scaledRect({8, 72, 0, 0}, 26), (Rect {16, 144, 0, 0}));
}

} // namespace
