// The bare window program: registers a class and shows one window, with the
// program's manifest, so that the program's start-up can be timed against it.
// Built once more with WITH_COMMON_CONTROLS, it first loads the common
// controls as the program does, which shows what that alone costs.
#include <windows.h>
#ifdef WITH_COMMON_CONTROLS
#include <commctrl.h>
#endif

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
#ifdef WITH_COMMON_CONTROLS
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    if (!InitCommonControlsEx(&controls))
        return 1;
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
