#pragma once

#include "app/logic/image.h"
#include "app/logic/layout.h"

#include <functional>
#include <string>
#include <string_view>
#include <windows.h>

namespace app::win32 {

// A GDI object that is deleted with its owner.
template <typename Handle> class GdiObject
{
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle)
        : m_handle(handle)
    {
    }
    ~GdiObject() { reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept
        : m_handle(other.m_handle)
    {
        other.m_handle = nullptr;
    }
    GdiObject& operator=(GdiObject&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_handle = other.m_handle;
            other.m_handle = nullptr;
        }
        return *this;
    }

    Handle get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    void reset()
    {
        if (m_handle)
            DeleteObject(m_handle);
        m_handle = nullptr;
    }

private:
    Handle m_handle = nullptr;
};

using Bitmap = GdiObject<HBITMAP>;
using Font = GdiObject<HFONT>;

// A colour of the logic as GDI takes it, and back.
COLORREF colorRef(logic::Rgb colour);
logic::Rgb rgbOf(COLORREF colour);
// A system colour (COLOR_BTNFACE, …) as the logic takes it.
logic::Rgb systemColour(int index);

// A 32-bit top-down DIB section with the image's pixels; where a pixel is transparent it takes the
// background colour. Null for an empty image. pixels, when given, points at the DIB's own pixels.
Bitmap bitmapOf(const logic::ArgbImage& image, logic::Rgb background, std::uint32_t** pixels = nullptr);

// The pixels of a device context's area as the logic holds them (alpha set to 255), row by row.
logic::ArgbImage capture(HDC dc, int width, int height);

// The first family of a font specification that the system has (hasFamily tells); the first family
// when it has none of them, so that the system's own substitution decides.
std::string_view chooseFamily(const logic::FontSpec& spec, const std::function<bool(std::string_view)>& hasFamily);

// Whether the system has fonts of that family.
bool systemHasFamily(std::string_view family);

// The font of a specification, its character height scaled from 96 pixels per inch to the display's.
Font createFont(const logic::FontSpec& spec);

// The display's pixels per inch, down the screen.
int displayDpi();

// The height of a font's text line (tmHeight) on the screen.
int textHeight(HFONT font);

// The width and height of a one-line text in a font (access-key "&"s left out when withPrefix).
SIZE textExtent(HFONT font, const std::wstring& text, bool withPrefix = false);

} // namespace app::win32
