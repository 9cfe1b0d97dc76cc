#pragma once

#include "app/logic/geometry.h"
#include "app/logic/gradient.h"

#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace app::logic {

// The main window MForm and its controls, named as in the form design.
enum class Element
{
    MForm,
    Draw3D1, // the bottom panel
    Draw3D3, // the top panel
    Label4, // the heading
    BImportar, // the export button
    Label1, // the version line
    BClose, // the close button
    Button1, // the help button
};

enum class ElementKind
{
    Window,
    GradientPanel,
    Label,
    PictureButton, // a push button with an 18 by 18 picture left of its caption
    PushButton,
};

// The pictures of the buttons (see pictures.h).
enum class Picture
{
    None,
    Door,
    Tick,
};

// A font as the layout asks for it. A front end takes the first family the system has, in this order
// (the later ones stand in where the first is missing).
struct FontSpec
{
    std::array<std::string_view, 4> families; // empty entries are unused
    int characterHeight = 0; // in pixels at 96 pixels per inch, internal leading excluded
    bool bold = false;
    std::optional<Rgb> colour; // nothing: the system's window-text colour
};

// "MS Sans Serif" 8 points: the window's font, used by the three buttons.
inline constexpr FontSpec WindowFont {{"MS Sans Serif", "Microsoft Sans Serif", "DejaVu Sans"}, 11, false, {}};
// "Arial" 12 points bold: the heading.
inline constexpr FontSpec HeadingFont {{"Arial", "Liberation Sans", "Arimo", "DejaVu Sans"}, 16, true, {}};
// The window's font in bold and pure red: the version line.
inline constexpr FontSpec VersionFont {WindowFont.families, 11, true, Rgb {255, 0, 0}};

// One row of the layout table.
struct ElementLayout
{
    Element element;
    std::string_view name; // the form design's name, also the object name in a front end
    ElementKind kind;
    Element parent; // MForm's parent is MForm itself
    // Relative to the parent, in pixels at the design's text height (see scaleToDisplay); the window's
    // row gives its client area. A label sized to its text has width and height 0.
    Rect rect;
    const char* text; // caption, label text or window caption; nullptr for none
    const FontSpec* font; // nullptr: inherited from the window (WindowFont)
    Picture picture;
    const GradientColours* colours; // gradient panels only
    int helpContext; // 0: none (F1 asks the enclosing element)
    int tabPosition; // 1 first; 0 takes no focus
    bool isDefault; // the window's default button
    bool wordWrap; // a label that wraps at word boundaries within its box
};

// The main window, siblings from back to front: where the two panels overlap (client row 168) the
// top panel lies in front. The bottom panel is wider than the client area and is cut off there.
extern const std::array<ElementLayout, 8> MainWindowLayout;

// Whether a label is as large as its text on one line: its row gives it width and height 0. Any
// other label keeps its box, its text wrapped within it (wordWrap) or cut off at its edge.
bool fitsItsText(const ElementLayout& label);

// The row of an element.
const ElementLayout& layoutOf(Element element);

// The element with that form design name, or nothing.
std::optional<Element> elementNamed(std::string_view name);

// The help context for F1 pressed on an element: its own when not 0, else that of the first
// enclosing element whose help context is not 0; 0 when there is none.
int helpContextOf(Element element);

// The elements that take the focus, in tab order (Tab walks forward, Shift+Tab back). The first is
// the one that has the focus when the window becomes active with none.
std::vector<Element> tabOrder();

// The window's default button.
Element defaultButton();

// The letter or digit after the first single "&" of a caption ("&&" stands for "&"), letters in
// upper case: pressing it, with or without Alt, presses the button. Nothing when the caption has no
// single "&", or something else follows it.
std::optional<char> accessKey(std::string_view caption);

// A designed rectangle on a display whose window text height is measuredTextHeight (scaleToDisplay
// on each value).
Rect scaledRect(const Rect& designed, int measuredTextHeight);

// Where a button with picture draws: the picture left of the caption, PictureGap pixels apart,
// picture and caption centred together across the button; the picture centred down it, the caption
// taking the button's full height. Halves are rounded towards zero.
inline constexpr int PictureGap = 4;
struct PictureButtonLayout
{
    Rect picture;
    Rect caption;
};
PictureButtonLayout layoutPictureButton(Size button, Size picture, int captionWidth);

} // namespace app::logic
