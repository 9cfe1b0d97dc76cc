#include "app/win32/gdi.h"

#include "platform/wide_text.h"

#include <algorithm>
#include <cwchar>

namespace app::win32 {

COLORREF colorRef(logic::Rgb colour)
{
    return RGB(colour.red, colour.green, colour.blue);
}

logic::Rgb rgbOf(COLORREF colour)
{
    return {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
}

logic::Rgb systemColour(int index)
{
    return rgbOf(GetSysColor(index));
}

Bitmap bitmapOf(const logic::ArgbImage& image, logic::Rgb background, std::uint32_t** pixels)
{
    if (image.width <= 0 || image.height <= 0)
        return {};
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height; // top-down, as the logic's rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap)
        return {};
    // A 32-bit DIB pixel is the word 0x00RRGGBB, as the logic's pixel without its alpha.
    const std::uint32_t fill = logic::opaque(background);
    auto* out = static_cast<std::uint32_t*>(bits);
    std::transform(image.pixels.begin(), image.pixels.end(), out,
        [fill](std::uint32_t pixel) { return (pixel >> 24) == 0 ? fill : pixel; });
    GdiFlush();
    if (pixels)
        *pixels = out;
    return bitmap;
}

logic::ArgbImage capture(HDC dc, int width, int height)
{
    logic::ArgbImage image {width, height, {}};
    if (width <= 0 || height <= 0)
        return image;
    std::uint32_t* pixels = nullptr;
    Bitmap target = bitmapOf(
        logic::ArgbImage {width, height, std::vector<std::uint32_t>(std::size_t(width * height))}, {}, &pixels);
    const HDC memory = CreateCompatibleDC(dc);
    const HGDIOBJ old = SelectObject(memory, target.get());
    BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    GdiFlush();
    image.pixels.assign(pixels, pixels + std::size_t(width) * std::size_t(height));
    for (std::uint32_t& pixel : image.pixels)
        pixel |= 0xFF000000u;
    SelectObject(memory, old);
    DeleteDC(memory);
    return image;
}

std::string_view chooseFamily(const logic::FontSpec& spec, const std::function<bool(std::string_view)>& hasFamily)
{
    for (const std::string_view family : spec.families) {
        if (!family.empty() && hasFamily(family))
            return family;
    }
    return spec.families.front();
}

namespace {

int CALLBACK noteFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

} // namespace

bool systemHasFamily(std::string_view family)
{
    const std::wstring name = platform::widen(family);
    if (name.empty() || name.size() >= LF_FACESIZE)
        return false;
    LOGFONTW wanted {};
    wanted.lfCharSet = DEFAULT_CHARSET;
    std::wcsncpy(wanted.lfFaceName, name.c_str(), LF_FACESIZE - 1);
    bool found = false;
    const HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, noteFamily, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

int displayDpi()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

Font createFont(const logic::FontSpec& spec)
{
    LOGFONTW font {};
    // A negative height asks for the character height, internal leading excluded.
    font.lfHeight = -MulDiv(spec.characterHeight, displayDpi(), 96);
    font.lfWeight = spec.bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    const std::wstring family = platform::widen(chooseFamily(spec, systemHasFamily));
    std::wcsncpy(font.lfFaceName, family.c_str(), LF_FACESIZE - 1);
    return Font(CreateFontIndirectW(&font));
}

int textHeight(HFONT font)
{
    const HDC screen = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(screen, font);
    TEXTMETRICW metrics {};
    GetTextMetricsW(screen, &metrics);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return metrics.tmHeight;
}

SIZE textExtent(HFONT font, const std::wstring& text, bool withPrefix)
{
    const HDC screen = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(screen, font);
    RECT box {0, 0, 0, 0};
    DrawTextW(screen, text.c_str(), int(text.size()), &box,
        DT_CALCRECT | DT_SINGLELINE | DT_LEFT | DT_TOP | (withPrefix ? 0 : DT_NOPREFIX));
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return {box.right - box.left, box.bottom - box.top};
}

} // namespace app::win32
