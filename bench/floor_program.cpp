// The floor program: opens a file into a bare EDIT control the way the
// platform allows at best, so that the program's open can be timed against it.
//   scrivlet_floor.exe FILE STYLE EXSTYLE WIDTH HEIGHT   (styles in hex)
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

#include "bench/floor_edit.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count != 6)
        return 2;
    // The program's default font when none is stored.
    HFONT font = CreateFontW(14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
    HWND edit = CreateFloorEdit(wcstoul(arguments[2], nullptr, 16), wcstoul(arguments[3], nullptr, 16),
                                _wtoi(arguments[4]), _wtoi(arguments[5]), font);
    HLOCAL block = edit ? ReadFloorText(arguments[1]) : nullptr;
    if (!block)
        return 1;
    HandFloorText(edit, block);
    ShowWindow(GetParent(edit), SW_SHOW);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
