#include "tests/support/boxes_in_thread.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cwchar>

#include "tests/support/address_space.h"

wchar_t BoxesAnsweredInThread::seen_[400];

BoxesAnsweredInThread::BoxesAnsweredInThread()
{
    seen_[0] = L'\0';
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
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::wstring LastBoxWithAddressSpaceTaken(const std::function<void()>& act)
{
    // Wine maps the library that draws a box's icon on first use; with no
    // address space left it could not, and would abort the test program.
    HMODULE iconDrawing = LoadLibraryW(L"msimg32.dll");
    BoxesAnsweredInThread boxes;
    if (!iconDrawing || !boxes.active()) {
        ADD_FAILURE() << "message boxes cannot be answered";
        return L"";
    }
    {
        AddressSpaceTaken taken;
        void* probe = malloc(1 << 20);
        if (probe) {
            free(probe);
            ADD_FAILURE() << "the address space could not be exhausted";
        }
        act();
    }
    FreeLibrary(iconDrawing);
    return boxes.seen();
}
