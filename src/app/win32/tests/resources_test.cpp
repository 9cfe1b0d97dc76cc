#include "app/logic/layout.h"
#include "app/logic/pictures.h"
#include "app/win32/application.h"
#include "app/win32/gdi.h"
#include "help/help_engine.h"
#include "help/help_file_name.h"
#include "platform/wide_text.h"
#include "win32_test_support.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <windows.h>

using namespace app;
using namespace app::win32;

namespace {

// The window icon made from the logic's pixels: the same colours where the icon is opaque, and the
// mask set exactly where it is transparent.
TEST(ProgramIcon, isTheLogicsIcon)
{
    const logic::ArgbImage icon = logic::programIcon();
    const HICON made = createProgramIcon(icon.width);
    ASSERT_TRUE(made);
    ICONINFO info {};
    ASSERT_TRUE(GetIconInfo(made, &info));
    BITMAPINFO format {};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = icon.width;
    format.bmiHeader.biHeight = -icon.height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> colour(std::size_t(icon.width * icon.height));
    std::vector<std::uint32_t> mask(colour.size());
    const HDC screen = GetDC(nullptr);
    ASSERT_EQ(
        GetDIBits(screen, info.hbmColor, 0, UINT(icon.height), colour.data(), &format, DIB_RGB_COLORS), icon.height);
    ASSERT_EQ(GetDIBits(screen, info.hbmMask, 0, UINT(icon.height), mask.data(), &format, DIB_RGB_COLORS), icon.height);
    ReleaseDC(nullptr, screen);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(made);
    for (int y = 0; y < icon.height; ++y) {
        for (int x = 0; x < icon.width; ++x) {
            const std::uint32_t pixel = icon.at(x, y);
            const std::size_t at = std::size_t(y * icon.width + x);
            const bool transparent = (pixel >> 24) == 0;
            EXPECT_EQ((mask[at] & 0xFFFFFF) != 0, transparent) << x << "," << y;
            if (!transparent) {
                EXPECT_EQ(colour[at] & 0xFFFFFF, pixel & 0xFFFFFF) << x << "," << y;
            }
        }
    }
}

std::wstring versionValue(const std::vector<char>& block, const wchar_t* name)
{
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\0C0A04B0\\") + name;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || !value)
        return {};
    return static_cast<const wchar_t*>(value);
}

// The program file carries the icon and a Spanish version resource with the project's version.
TEST(ProgramFile, carriesItsIconAndVersion)
{
    const std::wstring program = platform::widen(EDUCA_PROGRAM_FILE);
    const HMODULE file = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(file);
    EXPECT_TRUE(FindResourceW(file, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14))); // RT_GROUP_ICON
    FreeLibrary(file);

    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, block.data()));
    EXPECT_EQ(versionValue(block, L"ProductName"), L"TransSelvarEDUCA");
    EXPECT_EQ(versionValue(block, L"OriginalFilename"), L"TransSelvarEDUCA.exe");
    EXPECT_EQ(versionValue(block, L"ProductVersion"), platform::widen(EDUCA_VERSION));
    EXPECT_EQ(versionValue(block, L"FileDescription"), L"Exportación de datos horarios de Morvanta a EDUCA (Navarra)");
}

struct FamilyCase
{
    const char* name;
    logic::FontSpec spec;
    std::set<std::string_view> installed;
    std::string_view chosen;
};

class Families : public ::testing::TestWithParam<FamilyCase>
{
};

// The first family of the layout's font that the system has; the first one when it has none.
TEST_P(Families, firstInstalledInOrder)
{
    const FamilyCase& c = GetParam();
    EXPECT_EQ(chooseFamily(c.spec, [&](std::string_view family) { return c.installed.count(family) > 0; }), c.chosen);
}

INSTANTIATE_TEST_SUITE_P(Win32, Families,
    ::testing::Values(FamilyCase {"windowFont", logic::WindowFont, {"MS Sans Serif", "Tahoma"}, "MS Sans Serif"},
        FamilyCase {"secondChoice", logic::WindowFont, {"Microsoft Sans Serif", "DejaVu Sans"}, "Microsoft Sans Serif"},
        FamilyCase {"headingWithoutArial", logic::HeadingFont, {"Liberation Sans", "DejaVu Sans"}, "Liberation Sans"},
        FamilyCase {"noneInstalled", logic::HeadingFont, {}, "Arial"}),
    [](const auto& info) { return std::string(info.param.name); });

// The system's font list answers for the families it has and not for others.
TEST(Families, systemListIsAsked)
{
    EXPECT_FALSE(systemHasFamily("Ninguna Familia Así"));
    EXPECT_FALSE(systemHasFamily(""));
    // The layout's fonts come out as a family this system has (on Windows the first; under Wine without
    // its own fonts a later one).
    for (const logic::FontSpec* spec : {&logic::WindowFont, &logic::HeadingFont})
        EXPECT_TRUE(systemHasFamily(chooseFamily(*spec, systemHasFamily))) << chooseFamily(*spec, systemHasFamily);
}

// The system's help engine opens a help file in a folder whose name the ANSI code page cannot hold
// (Greek and Cyrillic letters together fit no single one): its window comes up all the same.
TEST(SystemHelpEngine, opensAFileWhosePathTheAnsiCodePageCannotHold)
{
    std::shared_ptr<help::HelpEngine> engine = help::loadSystemEngine();
    ASSERT_TRUE(engine) << "HHCtrl.ocx is missing";
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::filesystem::path folder = std::filesystem::path(temp) / L"Ayuda \u03A9\u043C\u0435\u0433\u0430";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(
        EDUCA_TEST_HELP_FILE, folder / L"EDUCA.chm", std::filesystem::copy_options::overwrite_existing);
    const std::string file = platform::narrow((folder / L"EDUCA.chm").wstring());
    ASSERT_FALSE(help::ansiHelpFile(file, int(GetACP()))) << "code page " << GetACP() << " holds " << file;

    engine->htmlHelp(0, file, help::DisplayTableOfContents, 0);
    HWND shown = nullptr;
    app::win32::testing::pumpMessages(std::chrono::seconds(10), [&] {
        shown = FindWindowW(nullptr, L"Ayuda de TransSelvarEDUCA");
        return shown != nullptr;
    });
    EXPECT_TRUE(shown) << "no help window for " << file;
    if (shown) {
        PostMessageW(shown, WM_CLOSE, 0, 0);
        app::win32::testing::pumpMessages(std::chrono::seconds(5), [&] { return !IsWindow(shown); });
    }
    engine.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

} // namespace
