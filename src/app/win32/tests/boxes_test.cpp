#include "app/logic/message_box.h"
#include "app/logic/texts.h"
#include "app/logic/window_geometry.h"
#include "app/win32/main_form.h"
#include "app/win32/message_boxes.h"
#include "app/win32/save_dialog.h"
#include "platform/user_error.h"
#include "platform/wide_text.h"
#include "win32_test_support.h"

#include <dlgs.h>
#include <filesystem>
#include <fstream>
#include <functional>

using namespace app;
using namespace app::win32;
using namespace app::win32::testing;
using namespace std::chrono_literals;

namespace {

struct MessageCase
{
    const char* name;
    std::string message;
    bool wraps;
};

void PrintTo(const MessageCase& c, std::ostream* out)
{
    *out << c.name;
}

class PlainBox : public Win32Test, public ::testing::WithParamInterface<MessageCase>
{
};

// The box made to the logic's layout from its font's measures: the client area and the button where
// the layout puts them, the text within half the screen's width (a long one wrapped onto more lines),
// centred on the screen, the application title as its caption and "Aceptar" as the default button;
// Ctrl+C puts the box's text on the clipboard with CR LF line ends.
TEST_P(PlainBox, followsTheLogicsLayout)
{
    const MessageCase& c = GetParam();
    PlainMessageBox box(c.message);
    ASSERT_TRUE(box.handle());
    const logic::MessageBoxMetrics& metrics = box.metrics();
    EXPECT_GT(metrics.averageCharWidth, 0);
    EXPECT_LE(metrics.text.width, logic::messageWrapWidth(GetSystemMetrics(SM_CXSCREEN)));
    EXPECT_EQ(metrics.text.height > metrics.charHeight, c.wraps) << metrics.text.height;

    RECT client {};
    GetClientRect(box.handle(), &client);
    EXPECT_EQ(client.right, box.layout().client.width);
    EXPECT_EQ(client.bottom, box.layout().client.height);
    RECT button {};
    GetWindowRect(box.button(), &button);
    MapWindowPoints(nullptr, box.handle(), reinterpret_cast<POINT*>(&button), 2);
    EXPECT_EQ(button.left, box.layout().button.left);
    EXPECT_EQ(button.top, box.layout().button.top);
    EXPECT_EQ(button.right - button.left, box.layout().button.width);
    EXPECT_EQ(button.bottom - button.top, box.layout().button.height);
    EXPECT_EQ(windowText(box.button()), L"Aceptar");
    EXPECT_EQ(GetWindowLongPtrW(box.button(), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(windowText(box.handle()), L"TransSelvarEDUCA");

    RECT outer {};
    GetWindowRect(box.handle(), &outer);
    const logic::Position centred = logic::centredPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
        outer.right - outer.left, outer.bottom - outer.top);
    EXPECT_EQ(outer.left, centred.left);
    EXPECT_EQ(outer.top, centred.top);

    box.copyToClipboard();
    ASSERT_TRUE(OpenClipboard(nullptr));
    const HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const std::wstring copied = data ? static_cast<const wchar_t*>(GlobalLock(data)) : L"";
    if (data)
        GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ(platform::narrow(copied), logic::messageBoxClipboardText("TransSelvarEDUCA", c.message, {"Aceptar"}));
}

INSTANTIATE_TEST_SUITE_P(Win32, PlainBox,
    ::testing::Values(MessageCase {"finished", "Proceso finalizado", false},
        MessageCase {"noFileName", "Debe indicar un Nombre de Archivo", false},
        MessageCase {"long",
            "Un mensaje largo que no cabe en la mitad de la pantalla y por eso se parte en varias líneas al "
            "mostrarlo en la caja de mensajes del programa, palabra por palabra, sin cortar ninguna a la mitad.",
            true},
        MessageCase {"tab", "Columna\tcolumna", false}),
    [](const auto& info) { return std::string(info.param.name); });

struct EndCase
{
    const char* name;
    UINT message;
    WPARAM key;
};

class PlainBoxEnd : public Win32Test, public ::testing::WithParamInterface<EndCase>
{
};

// Enter, Esc and the close box all end the box; meanwhile the program's other windows are disabled,
// and afterwards enabled again.
TEST_P(PlainBoxEnd, endsTheBox)
{
    const EndCase& c = GetParam();
    EXPECT_TRUE(IsWindowEnabled(m_application->handle()));
    bool disabledMeanwhile = false;
    PlainMessageBox box("Proceso finalizado");
    TimedStep answer([&] {
        if (!IsWindowVisible(box.handle()))
            return false;
        disabledMeanwhile = !IsWindowEnabled(m_application->handle());
        if (c.message == WM_CLOSE)
            PostMessageW(box.handle(), WM_CLOSE, 0, 0);
        else
            PostMessageW(box.button(), c.message, c.key, 0);
        return true;
    });
    box.runModal();
    EXPECT_TRUE(answer.finished());
    EXPECT_TRUE(box.isDone());
    EXPECT_TRUE(disabledMeanwhile);
    EXPECT_TRUE(IsWindowEnabled(m_application->handle()));
}

INSTANTIATE_TEST_SUITE_P(Win32, PlainBoxEnd,
    ::testing::Values(EndCase {"enter", WM_KEYDOWN, VK_RETURN}, EndCase {"escape", WM_KEYDOWN, VK_ESCAPE},
        EndCase {"closeBox", WM_CLOSE, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct ForegroundCase
{
    const char* name;
    std::function<void(TMForm&)> show;
    // The box's window and how it is answered, once it is there.
    const wchar_t* caption;
    const wchar_t* windowClass;
    WPARAM answer;
};

void PrintTo(const ForegroundCase& c, std::ostream* out)
{
    *out << c.name;
}

class ForegroundAfterBox : public Win32Test, public ::testing::WithParamInterface<ForegroundCase>
{
};

// Another program's window lies below the window on its own. After each box or dialog the program
// keeps the foreground: its main window is active again, so the next key still reaches it.
TEST_P(ForegroundAfterBox, staysWithTheProgram)
{
    const ForegroundCase& c = GetParam();
    OtherProgramWindow other;
    ASSERT_TRUE(other.handle()) << "the stand-in host did not start";
    TMForm form(logic::makeStartRequest({}), *m_application, HostPlacement::Child);
    ASSERT_TRUE(form.controller().create());
    form.controller().showAtStartup();
    SetForegroundWindow(form.handle());
    ASSERT_TRUE(pumpMessages(
        5s, [&] { return GetForegroundWindow() == form.handle(); }, &form));

    TimedStep answer([&] {
        const HWND box = findThreadWindow(c.caption, c.windowClass);
        if (!box)
            return false;
        PostMessageW(box, WM_COMMAND, c.answer, 0);
        return true;
    });
    c.show(form);
    ASSERT_TRUE(answer.finished());
    pumpMessages(
        5s, [&] { return GetForegroundWindow() == form.handle() && GetActiveWindow() == form.handle(); }, &form);
    EXPECT_TRUE(IsWindowVisible(other.handle()));
    EXPECT_EQ(GetForegroundWindow(), form.handle());
    EXPECT_EQ(GetActiveWindow(), form.handle());
}

INSTANTIATE_TEST_SUITE_P(Win32, ForegroundAfterBox,
    ::testing::Values(ForegroundCase {"plainBox", [](TMForm& form) { form.showPlainMessage("Proceso finalizado"); },
                          L"TransSelvarEDUCA", L"TransSelvarEDUCA.Mensaje", IDOK},
        ForegroundCase {
            "errorBox", [](TMForm& form) { form.showErrorBox("Prueba."); }, L"TransSelvarEDUCA", L"#32770", IDOK},
        ForegroundCase {"saveDialog", [](TMForm& form) { form.controller().askSaveFileName(); }, L"Guardar Archivo XML",
            nullptr, IDCANCEL}),
    [](const auto& info) { return std::string(info.param.name); });

struct ErrorCase
{
    const char* name;
    std::string message;
    std::wstring shown;
};

class ErrorBox : public Win32Test, public ::testing::WithParamInterface<ErrorCase>
{
};

// A failure that reaches the event boundary: the system's message box with the application title, the
// error icon and the message with its final period by the logic's rule.
TEST_P(ErrorBox, showsTheFailureWithItsPeriod)
{
    const ErrorCase& c = GetParam();
    std::wstring text;
    bool icon = false;
    TimedStep answer([&] {
        const HWND box = findThreadWindow(L"TransSelvarEDUCA", L"#32770");
        if (!box)
            return false;
        wchar_t shown[512] = {};
        GetDlgItemTextW(box, 0xFFFF, shown, 512);
        text = shown;
        // The icon's control of the system's message box.
        icon = SendDlgItemMessageW(box, 0x0440, STM_GETICON, 0, 0) != 0;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return true;
    });
    reportFailure(std::make_exception_ptr(platform::UserError(c.message)));
    EXPECT_TRUE(answer.finished());
    EXPECT_EQ(text, c.shown);
    EXPECT_TRUE(icon);
}

INSTANTIATE_TEST_SUITE_P(Win32, ErrorBox,
    ::testing::Values(ErrorCase {"letter", "Falta el campo DEPART", L"Falta el campo DEPART."},
        ErrorCase {"quote", "No se encuentra el campo 'DEPART'", L"No se encuentra el campo 'DEPART'"},
        ErrorCase {"question", "¿Seguro?", L"¿Seguro?."}, ErrorCase {"period", "Hecho.", L"Hecho."},
        ErrorCase {
            "unableToWrite", "Unable to write to C:\\x\\Morvanta.ini", L"Unable to write to C:\\x\\Morvanta.ini."}),
    [](const auto& info) { return std::string(info.param.name); });

struct SaveCase
{
    const char* name;
    std::string offered;
    const wchar_t* typed; // nullptr: cancel
    bool existing; // the file is there already
    const char* chosen; // the file name that comes back (in the program directory), or nullptr
};

void PrintTo(const SaveCase& c, std::ostream* out)
{
    *out << c.name;
}

class SaveDialog : public Win32Test, public ::testing::WithParamInterface<SaveCase>
{
};

// The system's save dialog with its title and file type, placed by the logic's rule on the monitor; a
// name typed without extension gets ".xml"; an existing file is taken without a question; the offered
// name is in the name field; a cancel gives nothing.
TEST_P(SaveDialog, givesTheConfirmedFile)
{
    const SaveCase& c = GetParam();
    if (c.existing)
        std::ofstream(std::filesystem::path(m_programDirectory) / "viejo.xml") << "<viejo/>";
    std::wstring offeredShown;
    std::wstring filter;
    POINT position {};
    SIZE size {};
    TimedStep answer([&] {
        const HWND dialog = findThreadWindow(L"Guardar Archivo XML");
        if (!dialog)
            return false;
        RECT outer {};
        GetWindowRect(dialog, &outer);
        position = {outer.left, outer.top};
        size = {outer.right - outer.left, outer.bottom - outer.top};
        wchar_t text[MAX_PATH] = {};
        // The name field (a combo box with its edit field) and the file type list.
        GetDlgItemTextW(dialog, cmb13, text, MAX_PATH);
        offeredShown = text;
        GetDlgItemTextW(dialog, cmb1, text, MAX_PATH);
        filter = text;
        if (!c.typed) {
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            return true;
        }
        SetDlgItemTextW(dialog, cmb13, (m_programDirectory + c.typed).c_str());
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return true;
    });
    const std::optional<std::string> chosen = askSaveFileName(m_application->handle(), nullptr, c.offered);
    ASSERT_TRUE(answer.finished());
    if (c.chosen) {
        ASSERT_TRUE(chosen);
        EXPECT_EQ(*chosen, m_programDirectoryUtf8 + c.chosen);
    } else {
        EXPECT_FALSE(chosen);
    }
    EXPECT_EQ(platform::narrow(offeredShown), c.offered);
    EXPECT_EQ(filter, L"*.xml");
    // Centred across the primary monitor, its top at a third of the free height.
    const logic::Position wanted = logic::saveDialogPosition(
        {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, {size.cx, size.cy});
    EXPECT_EQ(position.x, wanted.left);
    EXPECT_EQ(position.y, wanted.top);
}

INSTANTIATE_TEST_SUITE_P(Win32, SaveDialog,
    ::testing::Values(SaveCase {"typed", "", L"salida", false, "salida.xml"},
        SaveCase {"withExtension", "", L"otro.xml", false, "otro.xml"},
        SaveCase {"existingWithoutQuestion", "", L"viejo", true, "viejo.xml"},
        SaveCase {"offeredNameShown", "horario.xml", L"nuevo", false, "nuevo.xml"},
        SaveCase {"cancelled", "horario.xml", nullptr, false, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
