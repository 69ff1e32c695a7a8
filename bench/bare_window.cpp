// The bare window program: registers a class and shows one window, with the
// program's manifest, so that the program's start-up can be timed against it.
// Built once more with WITH_STARTUP_LIBRARIES, it first calls into each
// system library the program needs before its window shows (the common
// controls, the shell's command line, the registry helpers), which shows what
// loading them alone costs.
#include <windows.h>
#ifdef WITH_STARTUP_LIBRARIES
#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>
#endif

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
#ifdef WITH_STARTUP_LIBRARIES
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    if (!InitCommonControlsEx(&controls))
        return 1;
    int count = 0;
    LocalFree(CommandLineToArgvW(GetCommandLineW(), &count));
    DWORD value = 0, size = sizeof(value);
    SHGetValueW(HKEY_CURRENT_USER, L"Software\\Scrivlet\\Options", L"WordWrap", nullptr, &value, &size);
#endif
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = L"ScrivletBare";
    if (!RegisterClassExW(&windowClass))
        return 1;
    HWND window = CreateWindowExW(0, L"ScrivletBare", L"Bare", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 800,
                                  600, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}
