#include "app/win32/save_dialog.h"

#include "app/logic/texts.h"
#include "app/logic/window_geometry.h"
#include "app/win32/message_boxes.h"
#include "platform/wide_text.h"

#include <commdlg.h>
#include <vector>

namespace app::win32 {

namespace {

// Large enough for any path the system takes.
constexpr std::size_t FileNameCapacity = 32768;

struct Placement
{
    HWND activeWindow = nullptr;
    HWND mainWindow = nullptr;
};

std::optional<logic::Rect> monitorArea(HMONITOR monitor)
{
    MONITORINFO info {};
    info.cbSize = sizeof(info);
    if (!monitor || !GetMonitorInfoW(monitor, &info))
        return std::nullopt;
    const RECT& area = info.rcMonitor;
    return logic::Rect {area.left, area.top, area.right - area.left, area.bottom - area.top};
}

std::optional<logic::Rect> monitorOf(HWND window)
{
    // A window that lies on no monitor counts as on the primary one.
    return window ? monitorArea(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY)) : std::nullopt;
}

void placeDialog(HWND dialog, const Placement& placement)
{
    RECT outer {};
    const auto primary = monitorArea(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY));
    if (!primary || !GetWindowRect(dialog, &outer))
        return;
    const logic::Rect monitor
        = logic::saveDialogMonitor(monitorOf(placement.activeWindow), monitorOf(placement.mainWindow), *primary);
    const logic::Position position
        = logic::saveDialogPosition(monitor, {outer.right - outer.left, outer.bottom - outer.top});
    SetWindowPos(dialog, nullptr, position.left, position.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

UINT_PTR CALLBACK dialogHook(HWND child, UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        // The dialog's own window holds this child; remember the placement until the dialog is ready.
        const auto* request = reinterpret_cast<const OPENFILENAMEW*>(lParam);
        SetWindowLongPtrW(child, GWLP_USERDATA, static_cast<LONG_PTR>(request->lCustData));
        return 0;
    }
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == CDN_INITDONE) {
        if (const auto* placement = reinterpret_cast<const Placement*>(GetWindowLongPtrW(child, GWLP_USERDATA)))
            placeDialog(GetParent(child), *placement);
    }
    return 0;
}

std::wstring zeroSeparated(const std::wstring& first, const std::wstring& second)
{
    std::wstring list = first;
    list.push_back(L'\0');
    list += second;
    list.push_back(L'\0');
    list.push_back(L'\0');
    return list;
}

} // namespace

std::optional<std::string> askSaveFileName(HWND owner, HWND mainWindow, const std::string& offeredName)
{
    const Placement placement {GetActiveWindow(), mainWindow};

    std::vector<wchar_t> fileName(FileNameCapacity, L'\0');
    const std::wstring offered = platform::widen(offeredName);
    if (offered.size() < FileNameCapacity)
        std::copy(offered.begin(), offered.end(), fileName.begin());
    const std::wstring pattern = platform::widen(logic::texts::SaveDialogFilter);
    const std::wstring filter = zeroSeparated(pattern, pattern);
    const std::wstring title = platform::widen(logic::texts::SaveDialogTitle);
    const std::wstring extension = platform::widen(logic::texts::SaveDialogSuffix);

    OPENFILENAMEW request {};
    request.lStructSize = sizeof(request);
    request.hwndOwner = owner;
    request.lpstrFilter = filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = fileName.data();
    request.nMaxFile = DWORD(fileName.size());
    request.lpstrTitle = title.c_str();
    request.lpstrDefExt = extension.c_str();
    // No OFN_OVERWRITEPROMPT: an existing file is replaced without a question. No OFN_NOCHANGEDIR:
    // the current directory stays where the dialog leaves it.
    request.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_ENABLESIZING;
    request.lpfnHook = dialogHook;
    request.lCustData = reinterpret_cast<LPARAM>(&placement);

    ModalScope modal(owner);
    if (!GetSaveFileNameW(&request))
        return std::nullopt;
    const std::wstring chosen(fileName.data());
    if (chosen.empty())
        return std::nullopt;
    return platform::narrow(chosen);
}

} // namespace app::win32
