#include "tests/support/boxes_in_thread.h"

#include <cwchar>

wchar_t BoxesAnsweredInThread::seen_[400];
int BoxesAnsweredInThread::button_ = IDOK;

BoxesAnsweredInThread::BoxesAnsweredInThread(int button)
{
    seen_[0] = L'\0';
    button_ = button;
    hook_ = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
}

BoxesAnsweredInThread::~BoxesAnsweredInThread()
{
    if (hook_)
        UnhookWindowsHookEx(hook_);
}

LRESULT CALLBACK BoxesAnsweredInThread::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t className[16] = {};
    if (code == HCBT_ACTIVATE && GetClassNameW(box, className, 16) && wcscmp(className, L"#32770") == 0) {
        wchar_t caption[128] = {};
        wchar_t text[256] = {};
        GetWindowTextW(box, caption, 128);
        GetDlgItemTextW(box, 0xFFFF, text, 256);
        wsprintfW(seen_, L"%s: %s", caption, text);
        PostMessageW(box, WM_COMMAND, button_, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
