#include "app/logic/message_box.h"

#include <algorithm>

namespace app::logic {

namespace {

constexpr int AverageWidthSampleLength = 52;
constexpr std::string_view DividerLine = "---------------------------\r\n";
constexpr std::string_view LineBreak = "\r\n";
constexpr std::string_view ButtonCaptionGap = "   ";
constexpr int ButtonCaptionPadding = 8;

} // namespace

int averageCharWidth(int sampleWidth)
{
    return sampleWidth / AverageWidthSampleLength;
}

int messageWrapWidth(int screenWidth)
{
    return screenWidth / 2;
}

MessageBoxLayout layoutMessageBox(const MessageBoxMetrics& metrics)
{
    // Sizes in quarters of the average width and eighths of the line height.
    const int horizontalMargin = static_cast<int>(mulDivRounded(metrics.averageCharWidth, 8, 4));
    const int verticalMargin = static_cast<int>(mulDivRounded(metrics.charHeight, 8, 8));
    const int verticalSpacing = static_cast<int>(mulDivRounded(metrics.charHeight, 10, 8));
    const int buttonHeight = static_cast<int>(mulDivRounded(metrics.charHeight, 14, 8));
    const int buttonWidth = std::max(static_cast<int>(mulDivRounded(metrics.averageCharWidth, 50, 4)),
        metrics.buttonCaptionWidth + ButtonCaptionPadding);

    MessageBoxLayout layout;
    layout.client.width = std::max(metrics.text.width, buttonWidth) + 2 * horizontalMargin;
    layout.client.height = metrics.text.height + verticalSpacing + buttonHeight + 2 * verticalMargin;
    layout.text = {horizontalMargin, verticalMargin, metrics.text.width, metrics.text.height};
    layout.button = {(layout.client.width - buttonWidth) / 2, verticalMargin + metrics.text.height + verticalSpacing,
        buttonWidth, buttonHeight};
    return layout;
}

std::string messageBoxClipboardText(
    std::string_view caption, std::string_view message, const std::vector<std::string>& buttonCaptions)
{
    std::string buttons;
    for (const std::string& buttonCaption : buttonCaptions) {
        buttons += buttonCaption;
        buttons += ButtonCaptionGap;
    }
    std::erase(buttons, '&');

    std::string text;
    text += DividerLine;
    text += caption;
    text += LineBreak;
    text += DividerLine;
    text += message;
    text += LineBreak;
    text += DividerLine;
    text += buttons;
    text += LineBreak;
    text += DividerLine;
    return text;
}

} // namespace app::logic
