#pragma once

#include "app/logic/geometry.h"

#include <string>
#include <string_view>
#include <vector>

namespace app::logic {

// The 52 letters whose one-line width, divided by 52 and rounded down, is a font's average
// character width.
inline constexpr std::string_view AverageWidthSample = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// A font's average character width from the width of AverageWidthSample in one line.
int averageCharWidth(int sampleWidth);

// How wide the message text may wrap: half the screen width, rounded down.
int messageWrapWidth(int screenWidth);

// What the plain message box's layout depends on, all in pixels.
struct MessageBoxMetrics
{
    int averageCharWidth = 0; // see averageCharWidth()
    int charHeight = 0; // the height of the message font's text line
    Size text; // the message measured word-wrapped within messageWrapWidth(), tabs expanded
    int buttonCaptionWidth = 0; // the button caption's text width on one line
};

struct MessageBoxLayout
{
    Size client;
    Rect text;
    Rect button;
};

// The plain message box with one button. Margins are 2 average widths across and 1 line height
// down; text and button are 1.25 heights apart; the button is 1.75 heights high and 12.5 average
// widths wide, or its caption width + 8 when that is wider. Each product is rounded to the nearest
// pixel (halves away from zero). The text sits at the margins' corner and the button is centred
// below it (its left edge rounded down).
MessageBoxLayout layoutMessageBox(const MessageBoxMetrics& metrics);

// The text that Ctrl+C in a message box puts on the clipboard: a line of 27 hyphens, the caption,
// hyphens, the message, hyphens, the button captions (each followed by three blanks, with every "&"
// removed), hyphens; each line ended by CR LF.
std::string messageBoxClipboardText(
    std::string_view caption, std::string_view message, const std::vector<std::string>& buttonCaptions);

} // namespace app::logic
