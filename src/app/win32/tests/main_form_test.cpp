#include "app/logic/gradient.h"
#include "app/logic/layout.h"
#include "app/logic/texts.h"
#include "app/logic/window_geometry.h"
#include "app/win32/gdi.h"
#include "app/win32/main_form.h"
#include "app/win32/startup.h"
#include "platform/paths.h"
#include "platform/regional.h"
#include "platform/wide_text.h"
#include "win32_test_support.h"

#include <dlgs.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

using namespace app;
using namespace app::win32;
using namespace app::win32::testing;
using namespace std::chrono_literals;

namespace {

constexpr const char* QueueNotAtRest = "the message queue did not come to rest within 5 s";

std::vector<std::string> hostArguments(const char* word, HWND host)
{
    std::ostringstream handle;
    handle << std::uppercase << std::hex << static_cast<unsigned>(reinterpret_cast<UINT_PTR>(host));
    return {word, handle.str()};
}

// Where an element lies in the client area by the layout table, at the display's scale.
RECT designedRect(logic::Element element, int textHeight)
{
    const logic::ElementLayout& row = logic::layoutOf(element);
    logic::Rect rect = logic::scaledRect(row.rect, textHeight);
    if (row.parent != logic::Element::MForm && row.kind != logic::ElementKind::Window) {
        const logic::Rect parent = logic::scaledRect(logic::layoutOf(row.parent).rect, textHeight);
        rect.left += parent.left;
        rect.top += parent.top;
    }
    return {rect.left, rect.top, rect.left + rect.width, rect.top + rect.height};
}

RECT rectInClient(HWND window)
{
    RECT rect {};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool sameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string iniText(const std::wstring& directory)
{
    std::ifstream in(std::filesystem::path(directory + L"Morvanta.ini"), std::ios::binary);
    if (!in)
        return "none";
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class MainFormTest : public Win32Test
{
protected:
    std::unique_ptr<TMForm> standAlone()
    {
        auto form = std::make_unique<TMForm>(logic::makeStartRequest({}), *m_application, HostPlacement::Child);
        EXPECT_TRUE(form->controller().create());
        return form;
    }
};

// Every button where the layout table puts it, with its caption, in the window's client area of the
// designed size; the window's caption; the system's tab walk in the table's tab order both ways; the
// dialog manager's default button.
TEST_F(MainFormTest, buttonsLieWhereTheLayoutPutsThem)
{
    const auto form = standAlone();
    const int textHeight = form->measuredTextHeight();
    RECT client {};
    GetClientRect(form->handle(), &client);
    const logic::Rect designed = logic::scaledRect(logic::layoutOf(logic::Element::MForm).rect, textHeight);
    EXPECT_EQ(client.right, designed.width);
    EXPECT_EQ(client.bottom, designed.height);
    EXPECT_EQ(windowText(form->handle()), platform::widen(logic::texts::WindowCaption));

    const std::vector<logic::Element> order = logic::tabOrder();
    ASSERT_EQ(order.size(), 3u);
    for (const logic::Element element : order) {
        const HWND button = form->control(element);
        ASSERT_TRUE(button);
        EXPECT_TRUE(sameRect(rectInClient(button), designedRect(element, textHeight))) << int(element);
        EXPECT_EQ(windowText(button), platform::widen(logic::layoutOf(element).text));
        EXPECT_EQ(form->elementOf(button), element);
    }
    for (std::size_t i = 0; i < order.size(); ++i) {
        const HWND current = form->control(order[i]);
        EXPECT_EQ(GetNextDlgTabItem(form->handle(), current, FALSE), form->control(order[(i + 1) % order.size()]));
        EXPECT_EQ(GetNextDlgTabItem(form->handle(), current, TRUE),
            form->control(order[(i + order.size() - 1) % order.size()]));
    }
    const LRESULT defaultId = SendMessageW(form->handle(), DM_GETDEFID, 0, 0);
    EXPECT_EQ(HIWORD(defaultId), DC_HASDEFID);
    EXPECT_EQ(GetDlgItem(form->handle(), LOWORD(defaultId)), form->control(logic::defaultButton()));
}

// The client area as painted: the window's colour, the bottom panel and the top panel in front of it
// where they overlap, each the logic's panel image with the system's edge colours, the bottom panel
// cut off at the right edge. Pixel for pixel, outside the labels' text; the version line, whose row is
// 0 by 0, is the size of its text in the version font, from its corner.
TEST_F(MainFormTest, panelsArePaintedPixelForPixel)
{
    const auto form = standAlone();
    const int textHeight = form->measuredTextHeight();
    RECT client {};
    GetClientRect(form->handle(), &client);
    const int width = client.right;
    const int height = client.bottom;

    std::vector<std::uint32_t> expected(std::size_t(width * height), logic::opaque(systemColour(COLOR_BTNFACE)));
    for (const logic::Element panel : {logic::Element::Draw3D1, logic::Element::Draw3D3}) {
        const RECT rect = designedRect(panel, textHeight);
        const logic::ArgbImage image = logic::panelImage({rect.right - rect.left, rect.bottom - rect.top},
            *logic::layoutOf(panel).colours, systemColour(COLOR_BTNHIGHLIGHT), systemColour(COLOR_BTNSHADOW));
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                if (rect.left + x < width && rect.top + y < height)
                    expected[std::size_t((rect.top + y) * width + rect.left + x)] = image.at(x, y);
            }
        }
    }

    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP target = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ old = SelectObject(memory, target);
    form->paintClient(memory);
    const logic::ArgbImage painted = capture(memory, width, height);
    SelectObject(memory, old);
    DeleteObject(target);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    const RECT heading = designedRect(logic::Element::Label4, textHeight);
    RECT version = designedRect(logic::Element::Label1, textHeight);
    const Font versionFont = createFont(logic::VersionFont);
    const SIZE versionText = textExtent(versionFont.get(), platform::widen(logic::texts::VersionLine));
    version.right = version.left + versionText.cx;
    version.bottom = version.top + versionText.cy;
    const auto inText = [&](int x, int y) {
        return (x >= heading.left && x < heading.right && y >= heading.top && y < heading.bottom)
            || (x >= version.left && x < version.right && y >= version.top && y < version.bottom);
    };
    int compared = 0;
    int differing = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (inText(x, y))
                continue;
            ++compared;
            if (painted.at(x, y) != expected[std::size_t(y * width + x)] && differing++ < 5)
                ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << painted.at(x, y) << " instead of "
                              << expected[std::size_t(y * width + x)];
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(compared, width * height / 2);
    // The text is there: each box holds pixels of another colour than the panel's, the version line's
    // also in its last quarter (not cut off).
    const auto textPixels = [&](const RECT& box) {
        int count = 0;
        for (int y = box.top; y < box.bottom; ++y) {
            for (int x = box.left; x < box.right; ++x)
                count += painted.at(x, y) != expected[std::size_t(y * width + x)];
        }
        return count;
    };
    EXPECT_GT(textPixels(heading), 100);
    EXPECT_GT(textPixels(version), 50) << versionText.cx << "x" << versionText.cy;
    EXPECT_GT(textPixels({version.right - versionText.cx / 4, version.top, version.right, version.bottom}), 10);
}

// The message that the system posts to the focused window for F1; the default window procedure turns
// it into WM_HELP.
constexpr UINT KeyF1Message = 0x004D;

struct KeyCase
{
    const char* name;
    logic::Element focused;
    UINT message;
    WPARAM key;
    bool closes;
    std::vector<std::pair<unsigned, std::uintptr_t>> help; // command and data of each engine call
};

void PrintTo(const KeyCase& c, std::ostream* out)
{
    *out << c.name;
}

class Keys : public MainFormTest, public ::testing::WithParamInterface<KeyCase>
{
};

// A key as the message loop hands it over, with the focus on a button: Enter and Space press the
// focused button, S with or without Alt the close button, F1 asks for help context 1 (once), Esc does
// nothing.
TEST_P(Keys, pressTheRightButton)
{
    const KeyCase& c = GetParam();
    const auto form = standAlone();
    form->controller().showAtStartup();
    ASSERT_TRUE(settle(form.get())) << QueueNotAtRest;
    const HWND focused = form->control(c.focused);
    SetFocus(focused);
    ASSERT_EQ(GetFocus(), focused);

    MSG message {focused, c.message, c.key, 0, 0, {}};
    processMessage(form.get(), message);
    if (c.key == VK_SPACE) {
        MSG up {focused, WM_KEYUP, VK_SPACE, LPARAM(0xC0000001), 0, {}};
        processMessage(form.get(), up);
    }
    ASSERT_TRUE(settle(form.get())) << QueueNotAtRest;

    EXPECT_EQ(form->controller().hasClosed(), c.closes);
    std::vector<std::pair<unsigned, std::uintptr_t>> help;
    for (const FakeHelpEngine::Call& call : *m_help->calls) {
        help.emplace_back(call.command, call.data);
        EXPECT_EQ(call.caller, reinterpret_cast<std::uintptr_t>(form->handle()));
        EXPECT_EQ(call.file, m_programDirectoryUtf8 + "EDUCA.chm");
    }
    EXPECT_EQ(help, c.help);
}

INSTANTIATE_TEST_SUITE_P(MainWindow, Keys,
    ::testing::Values(KeyCase {"enterOnClose", logic::Element::BClose, WM_KEYDOWN, VK_RETURN, true, {}},
        KeyCase {"enterOnHelp", logic::Element::Button1, WM_KEYDOWN, VK_RETURN, false, {{1, 0}}},
        KeyCase {"spaceOnHelp", logic::Element::Button1, WM_KEYDOWN, VK_SPACE, false, {{1, 0}}},
        KeyCase {"letterS", logic::Element::Button1, WM_CHAR, 's', true, {}},
        KeyCase {"altS", logic::Element::BImportar, WM_SYSCHAR, 's', true, {}},
        KeyCase {"capitalS", logic::Element::BImportar, WM_CHAR, 'S', true, {}},
        KeyCase {"otherLetter", logic::Element::BClose, WM_CHAR, 'a', false, {}},
        KeyCase {"escape", logic::Element::BClose, WM_KEYDOWN, VK_ESCAPE, false, {}},
        KeyCase {"f1OnClose", logic::Element::BClose, KeyF1Message, 0, false, {{15, 1}}},
        KeyCase {"f1OnExport", logic::Element::BImportar, KeyF1Message, 0, false, {{15, 1}}},
        // The key itself: the system turns it into the message above, once.
        KeyCase {"f1KeyDown", logic::Element::Button1, WM_KEYDOWN, VK_F1, false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// The window is the application window's: it gives the program its one taskbar entry, named with the
// application title and carrying the icon; the main window owned by it has none of its own.
// What the taskbar lists: visible, unowned top-level windows that are no tool windows.
BOOL CALLBACK noteTaskbarEntry(HWND window, LPARAM list)
{
    if (IsWindowVisible(window) && !GetWindow(window, GW_OWNER)
        && !(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW))
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

TEST_F(MainFormTest, oneTaskbarEntryNamedWithTheApplicationTitle)
{
    const auto form = standAlone();
    form->controller().showAtStartup();
    ASSERT_TRUE(settle(form.get())) << QueueNotAtRest;
    std::vector<HWND> entries;
    EnumThreadWindows(GetCurrentThreadId(), noteTaskbarEntry, reinterpret_cast<LPARAM>(&entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries.front(), m_application->handle());
    EXPECT_EQ(windowText(entries.front()), L"TransSelvarEDUCA");
    EXPECT_TRUE(SendMessageW(entries.front(), WM_GETICON, ICON_BIG, 0));
    EXPECT_EQ(GetWindow(form->handle(), GW_OWNER), m_application->handle());
    EXPECT_TRUE(GetWindowLongPtrW(form->handle(), GWL_STYLE) & WS_CAPTION);
}

// Shown on its own, the window is active with the focus on the first control in tab order, the close
// button, so that Enter right after the start closes it.
TEST_F(MainFormTest, closeButtonHasTheFocusWhenShown)
{
    const auto form = standAlone();
    form->controller().showAtStartup();
    pumpMessages(
        5s,
        [&] { return GetActiveWindow() == form->handle() && GetFocus() == form->control(logic::tabOrder().front()); },
        form.get());
    EXPECT_EQ(GetActiveWindow(), form->handle());
    ASSERT_EQ(GetFocus(), form->control(logic::tabOrder().front()));
    MSG enter {GetFocus(), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    processMessage(form.get(), enter);
    EXPECT_TRUE(form->controller().hasClosed());
}

// The fixture tables in the program directory, and SOLUC in c:\mtemp, where the export reads it;
// c:\mtemp is left at the end as it was found.
class ExportTables
{
public:
    explicit ExportTables(const std::wstring& programDirectory)
    {
        const std::filesystem::path fixtures(EDUCA_APP_FIXTURES);
        for (const auto& entry : std::filesystem::directory_iterator(fixtures)) {
            if (entry.path().extension() == ".DBF")
                std::filesystem::copy_file(
                    entry.path(), std::filesystem::path(programDirectory) / entry.path().filename());
        }
        m_madeFolder = std::filesystem::create_directory(SolucFolder);
        m_madeFile = !std::filesystem::exists(SolucFolder / "SOLUC.DBF");
        std::filesystem::copy_file(fixtures / "mtemp" / "SOLUC.DBF", SolucFolder / "SOLUC.DBF",
            std::filesystem::copy_options::overwrite_existing);
    }
    ~ExportTables()
    {
        std::error_code ignored;
        if (m_madeFile)
            std::filesystem::remove(SolucFolder / "SOLUC.DBF", ignored);
        if (m_madeFolder)
            std::filesystem::remove(SolucFolder, ignored);
    }
    ExportTables(const ExportTables&) = delete;
    ExportTables& operator=(const ExportTables&) = delete;

private:
    inline static const std::filesystem::path SolucFolder {L"C:\\mtemp"};
    bool m_madeFolder = false;
    bool m_madeFile = false;
};

// A completed export on its own, pressed with the focus on the export button: the button is hidden,
// the window stays, and the focus goes to the first button in tab order, the close button, so that the
// next Enter closes the window.
TEST_F(MainFormTest, completedExportHidesTheExportButtonAndKeepsTheWindow)
{
    const ExportTables tables(m_programDirectory);
    const auto form = standAlone();
    form->controller().showAtStartup();
    ASSERT_TRUE(pumpMessages(
        5s, [&] { return GetActiveWindow() == form->handle(); }, form.get()));
    const HWND exportButton = form->control(logic::Element::BImportar);
    const HWND closeButton = form->control(logic::Element::BClose);
    SetFocus(exportButton);
    ASSERT_EQ(GetFocus(), exportButton);

    bool saved = false;
    TimedStep answer([&] {
        const HWND dialog = findThreadWindow(L"Guardar Archivo XML");
        if (dialog && !saved) {
            SetDlgItemTextW(dialog, cmb13, (m_programDirectory + L"salida").c_str());
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            saved = true;
        }
        const HWND box = findThreadWindow(L"TransSelvarEDUCA", L"TransSelvarEDUCA.Mensaje");
        if (!saved || dialog || !box)
            return false;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return true;
    });
    MSG enter {exportButton, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    processMessage(form.get(), enter);
    ASSERT_TRUE(answer.finished()) << "no save dialog, or no plain message after it";
    EXPECT_TRUE(std::filesystem::exists(m_programDirectory + L"salida.xml"));

    pumpMessages(
        5s, [&] { return GetActiveWindow() == form->handle() && GetFocus() == closeButton; }, form.get());
    EXPECT_FALSE(IsWindowVisible(exportButton));
    EXPECT_TRUE(IsWindowVisible(form->handle()));
    EXPECT_FALSE(form->controller().hasClosed());
    EXPECT_EQ(GetActiveWindow(), form->handle());
    EXPECT_EQ(GetFocus(), closeButton);

    MSG enterAgain {GetFocus(), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    processMessage(form.get(), enterAgain);
    EXPECT_TRUE(form->controller().hasClosed());
}

// A change of the system's settings makes the program read the regional settings again.
TEST_F(MainFormTest, settingChangeReadsTheRegionalSettingsAgain)
{
    platform::RegionalSettings mine;
    mine.decimalSeparator = "#";
    platform::setRegionalSettings(mine);
    SendMessageW(m_application->handle(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"intl"));
    EXPECT_EQ(platform::regionalSettings().decimalSeparator, platform::readSystemRegionalSettings().decimalSeparator);
    EXPECT_NE(platform::regionalSettings().decimalSeparator, std::optional<std::string>("#"));
}

// A host window of this process: a child may live in it under Wine too.
class HostWindow
{
public:
    HostWindow()
    {
        WNDCLASSW windowClass {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"HostForTests";
        RegisterClassW(&windowClass);
        m_window = CreateWindowExW(0, L"HostForTests", L"Anfitrión", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 30, 40,
            900, 560, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~HostWindow()
    {
        if (IsWindow(m_window))
            DestroyWindow(m_window);
        UnregisterClassW(L"HostForTests", GetModuleHandleW(nullptr));
    }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    HWND handle() const { return m_window; }

private:
    HWND m_window = nullptr;
};

class Placements : public MainFormTest, public ::testing::WithParamInterface<HostPlacement>
{
};

// Inside the host window both ways: a borderless child, or a borderless window owned by the host;
// centred over the host's client area by the window's outer size, moved along with the host, and
// closed as though by a close request when the host window goes (the ini file gets the outcome).
TEST_P(Placements, windowLivesOverTheHostsClientArea)
{
    const HostPlacement placement = GetParam();
    HostWindow host;
    TMForm form(logic::makeStartRequest(hostArguments("mostrar", host.handle())), *m_application, placement);
    ASSERT_TRUE(form.controller().create());
    form.controller().showAtStartup();
    ASSERT_TRUE(settle(&form)) << QueueNotAtRest;
    const HWND window = form.handle();
    ASSERT_TRUE(window);
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_THICKFRAME);
    if (placement == HostPlacement::Child) {
        EXPECT_TRUE(style & WS_CHILD);
        EXPECT_EQ(GetAncestor(window, GA_PARENT), host.handle());
    } else {
        EXPECT_FALSE(style & WS_CHILD);
        EXPECT_EQ(GetWindow(window, GW_OWNER), host.handle());
    }

    const auto offsetInHost = [&] {
        RECT rect {};
        GetWindowRect(window, &rect);
        POINT origin {0, 0};
        ClientToScreen(host.handle(), &origin);
        return POINT {rect.left - origin.x, rect.top - origin.y};
    };
    RECT outer {};
    GetWindowRect(window, &outer);
    RECT area {};
    GetClientRect(host.handle(), &area);
    // Without its frame the window keeps the outer size it would have with it.
    const SIZE framed {outer.right - outer.left, outer.bottom - outer.top};
    EXPECT_GT(framed.cx, form.designedClientSize().cx);
    EXPECT_GT(framed.cy, form.designedClientSize().cy);
    const logic::Position centred = logic::centredPosition(area.right, area.bottom, framed.cx, framed.cy);
    EXPECT_EQ(offsetInHost().x, centred.left);
    EXPECT_EQ(offsetInHost().y, centred.top);

    SetWindowPos(host.handle(), nullptr, 100, 70, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_TRUE(pumpMessages(
        2s, [&] { return offsetInHost().x == centred.left && offsetInHost().y == centred.top; }, &form));

    DestroyWindow(host.handle());
    EXPECT_TRUE(pumpMessages(
        2s, [&] { return form.controller().hasClosed(); }, &form));
    EXPECT_EQ(iniText(m_programDirectory), "[Transformadores]\r\nTransformado=0\r\n");
}

INSTANTIATE_TEST_SUITE_P(MainWindow, Placements, ::testing::Values(HostPlacement::Child, HostPlacement::Owned),
    [](const auto& info) { return info.param == HostPlacement::Child ? std::string("child") : std::string("owned"); });

// Inside the host window the main window is a child, which the system does not tell of a change of
// colours: the application window passes it on, and the window is drawn again with the new colours.
TEST_F(MainFormTest, colourChangeReachesTheWindowInsideTheHost)
{
    HostWindow host;
    TMForm form(logic::makeStartRequest(hostArguments("mostrar", host.handle())), *m_application, HostPlacement::Child);
    ASSERT_TRUE(form.controller().create());
    form.controller().showAtStartup();
    ASSERT_TRUE(settle(&form)) << QueueNotAtRest;
    ASSERT_TRUE(GetWindowLongPtrW(form.handle(), GWL_STYLE) & WS_CHILD);
    ValidateRect(form.handle(), nullptr);
    ASSERT_FALSE(GetUpdateRect(form.handle(), nullptr, FALSE));
    SendMessageW(m_application->handle(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_TRUE(GetUpdateRect(form.handle(), nullptr, FALSE));
}

// While it lives, the system refuses to create windows of the main window's class, as it does when it
// runs out of resources.
class MainWindowRefused
{
public:
    MainWindowRefused()
        : m_hook(SetWindowsHookExW(WH_CBT, refuse, nullptr, GetCurrentThreadId()))
    {
    }
    ~MainWindowRefused() { UnhookWindowsHookEx(m_hook); }
    MainWindowRefused(const MainWindowRefused&) = delete;
    MainWindowRefused& operator=(const MainWindowRefused&) = delete;

private:
    static LRESULT CALLBACK refuse(int code, WPARAM wParam, LPARAM lParam)
    {
        wchar_t name[64] = {};
        if (code == HCBT_CREATEWND && GetClassNameW(reinterpret_cast<HWND>(wParam), name, 64)
            && std::wstring(name) == MainWindowClass)
            return 1;
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    HHOOK m_hook;
};

struct NotMadeCase
{
    const char* name;
    bool host; // started with a host window's handle
    bool hostThere; // the host window exists
    bool refused; // the system refuses the main window
    std::wstring shown; // part of the error box's text
};

void PrintTo(const NotMadeCase& c, std::ostream* out)
{
    *out << c.name;
}

class WindowNotMade : public MainFormTest, public ::testing::WithParamInterface<NotMadeCase>
{
};

// A main window that cannot be made: the error box with the reason, no window, exit code 1, no ini file.
TEST_P(WindowNotMade, endsWithExitCode1)
{
    const NotMadeCase& c = GetParam();
    std::optional<HostWindow> host;
    host.emplace();
    const HWND hostWindow = host->handle();
    if (!c.hostThere)
        host.reset();
    ASSERT_EQ(IsWindow(hostWindow) != FALSE, c.hostThere);
    std::wstring shown;
    TimedStep answer([&] {
        const HWND box = findThreadWindow(L"TransSelvarEDUCA", L"#32770");
        if (!box)
            return false;
        wchar_t text[512] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 512);
        shown = text;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return true;
    });
    std::optional<MainWindowRefused> refusal;
    if (c.refused)
        refusal.emplace();
    TMForm form(logic::makeStartRequest(c.host ? hostArguments("importar", hostWindow) : std::vector<std::string> {}),
        *m_application, HostPlacement::Child);
    EXPECT_FALSE(form.controller().create());
    EXPECT_EQ(form.controller().exitCode(), 1);
    EXPECT_FALSE(form.handle());
    EXPECT_NE(shown.find(c.shown), std::wstring::npos) << platform::narrow(shown);
    EXPECT_EQ(iniText(m_programDirectory), "none");
}

INSTANTIATE_TEST_SUITE_P(MainWindow, WindowNotMade,
    ::testing::Values(NotMadeCase {"hostGone", true, false, false, L"No existe la ventana"},
        NotMadeCase {"refusedInHost", true, true, true, L"existe, pero el sistema no ha permitido crear la ventana"},
        NotMadeCase {"refusedOnItsOwn", false, true, true, L"No se puede crear la ventana principal del programa."}),
    [](const auto& info) { return std::string(info.param.name); });

struct StartCase
{
    const char* name;
    std::vector<std::string> arguments;
    bool framed; // with its caption bar and close box
    std::wstring errorBox; // the error box's text at the start; empty: none
};

void PrintTo(const StartCase& c, std::ostream* out)
{
    *out << c.name;
}

class StartModes : public MainFormTest, public ::testing::WithParamInterface<StartCase>
{
};

// A top-level window in each start that has no host window: with its frame on its own and with an
// unreadable handle (after the error box), without it for a handle of 0; owned by the application
// window, centred on the screen by its outer size, which is the framed size either way.
TEST_P(StartModes, topLevelWindow)
{
    const StartCase& c = GetParam();
    std::wstring shown;
    TimedStep answer([&] {
        const HWND box = findThreadWindow(L"TransSelvarEDUCA", L"#32770");
        if (!box)
            return false;
        wchar_t text[512] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 512);
        shown = text;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return true;
    });
    TMForm form(logic::makeStartRequest(c.arguments), *m_application, HostPlacement::Child);
    ASSERT_TRUE(form.controller().create());
    form.controller().showAtStartup();
    ASSERT_TRUE(settle(&form)) << QueueNotAtRest;
    EXPECT_EQ(shown, c.errorBox);

    const LONG_PTR style = GetWindowLongPtrW(form.handle(), GWL_STYLE);
    EXPECT_EQ((style & WS_CAPTION) == WS_CAPTION, c.framed);
    EXPECT_FALSE(style & WS_CHILD);
    EXPECT_EQ(GetWindow(form.handle(), GW_OWNER), m_application->handle());
    RECT outer {};
    GetWindowRect(form.handle(), &outer);
    RECT framed {0, 0, form.designedClientSize().cx, form.designedClientSize().cy};
    AdjustWindowRectEx(&framed, WS_POPUP | WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_DLGMODALFRAME);
    EXPECT_EQ(outer.right - outer.left, framed.right - framed.left);
    EXPECT_EQ(outer.bottom - outer.top, framed.bottom - framed.top);
    const logic::Position centred = logic::centredPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
        outer.right - outer.left, outer.bottom - outer.top);
    EXPECT_EQ(outer.left, centred.left);
    EXPECT_EQ(outer.top, centred.top);
}

INSTANTIATE_TEST_SUITE_P(MainWindow, StartModes,
    ::testing::Values(StartCase {"standAlone", {}, true, L""}, StartCase {"threeArguments", {"a", "b", "c"}, true, L""},
        StartCase {"handleZero", {"mostrar", "0"}, false, L""},
        StartCase {"unreadableHandle", {"mostrar", "12G4"}, true, L"'$12G4' no es un valor entero válido."}),
    [](const auto& info) { return std::string(info.param.name); });

// A close whose ini file cannot be written shows "Unable to write to …" and keeps the window; a later
// close writes it and ends.
TEST_F(MainFormTest, unwritableIniKeepsTheWindow)
{
    HostWindow host;
    TMForm form(logic::makeStartRequest(hostArguments("mostrar", host.handle())), *m_application, HostPlacement::Child);
    ASSERT_TRUE(form.controller().create());
    form.controller().showAtStartup();
    ASSERT_TRUE(settle(&form)) << QueueNotAtRest;
    const std::string missingFolder = m_programDirectoryUtf8 + "no-existe\\";
    platform::setProgramDirectoryOverride(missingFolder);
    std::wstring shown;
    TimedStep answer([&] {
        const HWND box = findThreadWindow(L"TransSelvarEDUCA", L"#32770");
        if (!box)
            return false;
        wchar_t text[512] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 512);
        shown = text;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return true;
    });
    SendMessageW(form.handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(platform::narrow(shown).rfind("Unable to write to " + missingFolder, 0), 0u) << platform::narrow(shown);
    EXPECT_FALSE(form.controller().hasClosed());
    EXPECT_TRUE(IsWindowVisible(form.handle()));

    platform::setProgramDirectoryOverride(m_programDirectoryUtf8);
    SendMessageW(form.handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(form.controller().hasClosed());
    EXPECT_FALSE(IsWindow(form.handle()));
    EXPECT_EQ(iniText(m_programDirectory), "[Transformadores]\r\nTransformado=0\r\n");
}

struct HandleCase
{
    std::uint32_t handle;
    std::intptr_t window;
};

class Handles : public ::testing::TestWithParam<HandleCase>
{
};

// A 32-bit handle widens with its sign, as Windows widens window handles.
TEST_P(Handles, widenWithTheirSign)
{
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(windowFromHandle(GetParam().handle)), GetParam().window);
}

INSTANTIATE_TEST_SUITE_P(Win32, Handles,
    ::testing::Values(HandleCase {0, 0}, HandleCase {0x1A2B, 0x1A2B}, HandleCase {0x7FFFFFFF, 0x7FFFFFFF},
        HandleCase {0x80000000u, -0x80000000LL}, HandleCase {0xFFFFFFFFu, -1}));

struct LeadByteCase
{
    UINT codePage;
    unsigned char byte;
    bool lead;
};

class LeadBytes : public ::testing::TestWithParam<LeadByteCase>
{
};

// The splitter steps over double-byte characters of the code page it is given.
TEST_P(LeadBytes, comeFromTheCodePage)
{
    EXPECT_EQ(leadBytesOf(GetParam().codePage)(GetParam().byte), GetParam().lead);
}

INSTANTIATE_TEST_SUITE_P(Win32, LeadBytes,
    ::testing::Values(LeadByteCase {932, 0x81, true}, LeadByteCase {932, 0x41, false}, LeadByteCase {1252, 0x81, false},
        LeadByteCase {936, 0xB0, true}));

} // namespace
