// A stand-in for the host program in the tests under Wine: opens a window, starts the program as the
// host program does (the command word and the window's handle in hexadecimal), and waits for it to
// end. What it did goes to standard output, one line each:
//   ventana <handle>                 the window's handle, as given to the program
//   cliente <x> <y> <width> <height> its client area on the screen
//   salida <code>                    the program's exit code, which is also this program's own
// While it waits it reads an order file, when one is given and appears: "mover X Y" moves the window
// (its top-left corner to X, Y), "cerrar" destroys it; the file is removed once read.
// With "-" for the program it starts nothing: its window is then just another program's window, which
// stays until it is closed.
//
// Usage: stand_in_host PROGRAM COMMAND_WORD [ORDER_FILE]

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <windows.h>

namespace {

constexpr COLORREF Slate = RGB(0x5A, 0x6E, 0x82);
constexpr COLORREF Band = RGB(0x2F, 0x3B, 0x47);

LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        // A slate background with a darker band at the top, like a host's menu and tool bars.
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        const HBRUSH slate = CreateSolidBrush(Slate);
        const HBRUSH band = CreateSolidBrush(Band);
        FillRect(dc, &client, slate);
        RECT bar {0, 0, client.right, 28};
        FillRect(dc, &bar, band);
        DeleteObject(slate);
        DeleteObject(band);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void reportClientArea(HWND window)
{
    POINT origin {0, 0};
    RECT client {};
    ClientToScreen(window, &origin);
    GetClientRect(window, &client);
    std::printf("cliente %ld %ld %ld %ld\n", origin.x, origin.y, client.right, client.bottom);
    std::fflush(stdout);
}

// Carries out an order from the file, if there is one; answers false when the window has gone.
void followOrders(const std::wstring& orderFile, HWND& window)
{
    std::ifstream in(orderFile.c_str());
    if (orderFile.empty() || !in)
        return;
    std::string verb;
    int x = 0;
    int y = 0;
    std::string line;
    std::getline(in, line);
    in.close();
    DeleteFileW(orderFile.c_str());
    std::istringstream words(line);
    words >> verb >> x >> y;
    if (verb == "mover" && window) {
        SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        reportClientArea(window);
    } else if (verb == "cerrar" && window) {
        DestroyWindow(window);
        window = nullptr;
        std::printf("cerrada\n");
        std::fflush(stdout);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "uso: stand_in_host PROGRAMA PALABRA [ORDENES]\n");
        return 2;
    }
    const std::wstring program = argv[1];
    const std::wstring word = argv[2];
    const std::wstring orderFile = argc > 3 ? argv[3] : L"";

    WNDCLASSW windowClass {};
    windowClass.lpfnWndProc = hostProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = L"AnfitrionDePrueba";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Anfitrión de prueba",
        WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 40, 30, 900, 560, nullptr, nullptr, windowClass.hInstance,
        nullptr);
    if (!window) {
        std::fprintf(stderr, "stand_in_host: no se pudo crear la ventana\n");
        return 2;
    }
    UpdateWindow(window);
    const auto handle = static_cast<unsigned>(reinterpret_cast<UINT_PTR>(window));
    std::printf("ventana %X\n", handle);
    reportClientArea(window);

    const bool startsProgram = program != L"-";
    PROCESS_INFORMATION process {};
    if (startsProgram) {
        wchar_t handleText[16];
        std::swprintf(handleText, 16, L"%X", handle);
        std::wstring commandLine = L"\"" + program + L"\" " + word + L" " + handleText;
        STARTUPINFOW startup {};
        startup.cb = sizeof(startup);
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                &process)) {
            std::fprintf(stderr, "stand_in_host: el programa no arranca (%lu)\n", GetLastError());
            return 2;
        }
        CloseHandle(process.hThread);
    }

    DWORD exitCode = 0;
    for (;;) {
        const DWORD woken
            = MsgWaitForMultipleObjects(startsProgram ? 1 : 0, &process.hProcess, FALSE, 100, QS_ALLINPUT);
        if (startsProgram && woken == WAIT_OBJECT_0) {
            GetExitCodeProcess(process.hProcess, &exitCode);
            break;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        followOrders(orderFile, window);
        if (!startsProgram && !IsWindow(window))
            return 0;
    }
    CloseHandle(process.hProcess);
    std::printf("salida %lu\n", exitCode);
    std::fflush(stdout);
    if (window)
        DestroyWindow(window);
    return int(exitCode);
}
