#include "tests/support/wait.h"

#include <vector>

void PumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        PumpMessages();
        if (condition())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

std::wstring WindowText(HWND window)
{
    int length = GetWindowTextLengthW(window);
    std::vector<wchar_t> text(static_cast<size_t>(length) + 2);
    GetWindowTextW(window, text.data(), length + 1);
    return text.data();
}

std::wstring ClassName(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

namespace {

struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    bool visibleOnly;
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK FindWindowProc(HWND window, LPARAM lParam)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && (!search->visibleOnly || IsWindowVisible(window)) &&
        lstrcmpiW(ClassName(window).c_str(), search->className) == 0 &&
        (!search->caption || WindowText(window) == search->caption)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND FindProcessWindow(DWORD processId, const wchar_t* className, bool visibleOnly, const wchar_t* caption)
{
    WindowSearch search = {processId, className, visibleOnly, caption, nullptr};
    EnumWindows(FindWindowProc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindProcessDialog(DWORD processId)
{
    return FindProcessWindow(processId, L"#32770", true);
}

std::wstring MessageBoxText(HWND box)
{
    return WindowText(GetDlgItem(box, 0xFFFF));
}
