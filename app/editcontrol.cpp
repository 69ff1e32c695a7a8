#include "app/editcontrol.h"

#include <commctrl.h>

#include "platform/textbuffer.h"
#include "prefs/appearance.h"
#include "prefs/settings.h"
#include "prefs/zoom.h"
#include "res/resource.h"

namespace {

const DWORD kEditStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_NOHIDESEL | ES_WANTRETURN;

void CheckMenuCommand(HWND mainWindow, UINT id, int on)
{
    CheckMenuItem(GetMenu(mainWindow), id, on ? MF_CHECKED : MF_UNCHECKED);
}

// A copy of the old control's text in a fresh movable block, or null.
HLOCAL CopyTextBlock(HLOCAL source, int length)
{
    LockedText from(source);
    return from.get() ? MakeTextBlock(from.get(), static_cast<size_t>(length)) : nullptr;
}

// A buffer handed over but not yet taken would otherwise go to a closed control,
// and the switch would move the text that it replaces.
void DeliverQueuedText(HWND edit)
{
    MSG message;
    while (edit && PeekMessageW(&message, edit, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE))
        DispatchMessageW(&message);
}

}  // namespace

RECT EditControlRect(HWND mainWindow)
{
    RECT main, tool, status;
    GetClientRect(mainWindow, &main);
    GetClientRect(GetDlgItem(mainWindow, IDC_TOOLBAR), &tool);
    GetClientRect(GetDlgItem(mainWindow, IDC_STATUSBAR), &status);
    RECT edit;
    edit.left = 0;
    edit.top = tool.bottom;
    edit.right = main.right - main.left;
    edit.bottom = tool.bottom + (main.bottom - main.top) - tool.bottom - (status.bottom - status.top);
    return edit;
}

HWND CreateEditControl(HWND mainWindow, int x, int y, int width, int height, int wrap)
{
    DWORD style = wrap ? kEditStyle : kEditStyle | WS_HSCROLL;
    HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", style, x, y, width, height, mainWindow,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_EDIT)),
                                reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(mainWindow, GWLP_HINSTANCE)), nullptr);
    if (edit)
        SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(ShownEditFont()), TRUE);
    return edit;
}

void SetWordWrap(HWND mainWindow, int on)
{
    RECT rect = EditControlRect(mainWindow);
    HWND old = GetDlgItem(mainWindow, IDC_EDIT);
    DeliverQueuedText(old);
    HWND edit = CreateEditControl(mainWindow, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, on);
    // Without a new control the old one stays, with all of its text.
    if (!edit)
        return;
    int length = old ? GetWindowTextLengthW(old) : 0;
    HLOCAL oldBlock = old ? TextBufferOf(old) : nullptr;
    HLOCAL block = nullptr;
    if (oldBlock && length > 0) {
        block = CopyTextBlock(oldBlock, length);
        if (!block) {
            DestroyWindow(edit);
            return;
        }
    }

    CheckMenuCommand(mainWindow, IDM_WORDWRAP, on);
    SetSettingDword(L"WordWrap", on ? 1 : 0);
    // Typing into a control made here must not stop at the platform's default limit.
    SendMessageW(edit, EM_LIMITTEXT, 0, 0);
    if (old)
        DestroyWindow(old);
    // The control never frees a buffer it has handed out, so the old one is ours.
    if (oldBlock)
        LocalFree(oldBlock);
    if (block) {
        HLOCAL initial = TextBufferOf(edit);
        SendMessageW(edit, WM_SETREDRAW, FALSE, 0);
        SendMessageW(edit, EM_SETHANDLE, reinterpret_cast<WPARAM>(block), 0);
        // Only now is the control done with its first buffer.
        if (initial)
            LocalFree(initial);
        SendMessageW(edit, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(edit, nullptr, TRUE);
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(-1), -1);
    }
}

LRESULT SwitchWordWrap(HWND mainWindow, int on)
{
    SetWordWrap(mainWindow, on);
    return 0;
}

LRESULT ToggleWordWrap(HWND mainWindow)
{
    SetWordWrap(mainWindow, OppositeOfStored(L"WordWrap"));
    return 0;
}
