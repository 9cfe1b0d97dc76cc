#include "app/logic/layout.h"

#include "app/logic/texts.h"
#include "app/logic/window_geometry.h"
#include "platform/text.h"

#include <algorithm>

namespace app::logic {

namespace {

constexpr int WindowHelpContext = 1;

} // namespace

// clang-format off
const std::array<ElementLayout, 8> MainWindowLayout = {{
    // element            name         kind                        parent            rect                  text                  font          picture        colours              help               tab default wrap
    {Element::MForm,     "MForm",     ElementKind::Window,        Element::MForm,   {0, 0, 620, 266},     texts::WindowCaption, &WindowFont,  Picture::None, nullptr,             WindowHelpContext, 0,  false, false},
    {Element::Draw3D1,   "Draw3D1",   ElementKind::GradientPanel, Element::MForm,   {0, 168, 633, 97},    nullptr,              nullptr,      Picture::None, &BottomPanelColours, WindowHelpContext, 0,  false, false},
    {Element::Draw3D3,   "Draw3D3",   ElementKind::GradientPanel, Element::MForm,   {18, 0, 601, 169},    nullptr,              nullptr,      Picture::None, &TopPanelColours,    WindowHelpContext, 0,  false, false},
    {Element::Label4,    "Label4",    ElementKind::Label,         Element::Draw3D3, {67, 24, 473, 33},    texts::Heading,       &HeadingFont, Picture::None, nullptr,             0,                 0,  false, true},
    {Element::BImportar, "BImportar", ElementKind::PictureButton, Element::Draw3D3, {240, 120, 89, 25},   texts::ExportCaption, nullptr,      Picture::Tick, nullptr,             WindowHelpContext, 3,  true,  false},
    {Element::Label1,    "Label1",    ElementKind::Label,         Element::Draw3D1, {8, 72, 0, 0},        texts::VersionLine,   &VersionFont, Picture::None, nullptr,             0,                 0,  false, false},
    {Element::BClose,    "BClose",    ElementKind::PictureButton, Element::Draw3D1, {256, 32, 89, 25},    texts::CloseCaption,  nullptr,      Picture::Door, nullptr,             WindowHelpContext, 1,  false, false},
    {Element::Button1,   "Button1",   ElementKind::PushButton,    Element::Draw3D1, {265, 67, 75, 18},    texts::HelpCaption,   nullptr,      Picture::None, nullptr,             WindowHelpContext, 2,  false, false},
}};
// clang-format on

bool fitsItsText(const ElementLayout& label)
{
    return label.kind == ElementKind::Label && label.rect.width == 0 && label.rect.height == 0;
}

const ElementLayout& layoutOf(Element element)
{
    const auto row = std::find_if(MainWindowLayout.begin(), MainWindowLayout.end(),
        [element](const ElementLayout& layout) { return layout.element == element; });
    return row != MainWindowLayout.end() ? *row : MainWindowLayout.front();
}

std::optional<Element> elementNamed(std::string_view name)
{
    for (const ElementLayout& layout : MainWindowLayout) {
        if (layout.name == name)
            return layout.element;
    }
    return std::nullopt;
}

int helpContextOf(Element element)
{
    for (;;) {
        const ElementLayout& layout = layoutOf(element);
        if (layout.helpContext != 0)
            return layout.helpContext;
        if (layout.parent == element)
            return 0;
        element = layout.parent;
    }
}

std::vector<Element> tabOrder()
{
    std::vector<const ElementLayout*> focusable;
    for (const ElementLayout& layout : MainWindowLayout) {
        if (layout.tabPosition > 0)
            focusable.push_back(&layout);
    }
    std::sort(focusable.begin(), focusable.end(),
        [](const ElementLayout* a, const ElementLayout* b) { return a->tabPosition < b->tabPosition; });
    std::vector<Element> order;
    for (const ElementLayout* layout : focusable)
        order.push_back(layout->element);
    return order;
}

Element defaultButton()
{
    for (const ElementLayout& layout : MainWindowLayout) {
        if (layout.isDefault)
            return layout.element;
    }
    return Element::MForm;
}

std::optional<char> accessKey(std::string_view caption)
{
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        const char letter = caption[i + 1];
        if (letter == '&') {
            ++i; // "&&" is a plain "&"
            continue;
        }
        if ((letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z') || (letter >= '0' && letter <= '9'))
            return platform::asciiUpper(letter);
        return std::nullopt;
    }
    return std::nullopt;
}

Rect scaledRect(const Rect& designed, int measuredTextHeight)
{
    return {scaleToDisplay(designed.left, measuredTextHeight), scaleToDisplay(designed.top, measuredTextHeight),
        scaleToDisplay(designed.width, measuredTextHeight), scaleToDisplay(designed.height, measuredTextHeight)};
}

PictureButtonLayout layoutPictureButton(Size button, Size picture, int captionWidth)
{
    PictureButtonLayout layout;
    const int left = (button.width - (picture.width + PictureGap + captionWidth)) / 2;
    layout.picture = {left, (button.height - picture.height) / 2, picture.width, picture.height};
    layout.caption = {left + picture.width + PictureGap, 0, captionWidth, button.height};
    return layout;
}

} // namespace app::logic
