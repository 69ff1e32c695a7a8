#include "platform/progresswindow.h"

#include "platform/guard.h"

namespace {

// Set on the window when Cancel is pressed.
const wchar_t kCancelledProperty[] = L"Scrivlet_ProgressCancelled";

INT_PTR CALLBACK ProgressProc(HWND progress, UINT message, WPARAM wParam, LPARAM)
{
    return RunGuarded<INT_PTR>(IsUserRequest(message), [&]() -> INT_PTR {
        if (message == WM_INITDIALOG)
            return TRUE;
        if ((message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) || message == WM_CLOSE) {
            SetPropW(progress, kCancelledProperty, reinterpret_cast<HANDLE>(1));
            EnableWindow(GetDlgItem(progress, IDCANCEL), FALSE);
            return TRUE;
        }
        return FALSE;
    });
}

}  // namespace

HWND OpenProgressWindow(HWND mainWindow, int templateId, const wchar_t* caption)
{
    HWND progress =
        CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), mainWindow, ProgressProc, 0);
    if (progress) {
        SetWindowTextW(progress, caption);
        EnableWindow(mainWindow, FALSE);
    }
    return progress;
}

bool ProgressCancelled(HWND progress, const wchar_t* text)
{
    if (!progress)
        return false;
    SetWindowTextW(GetWindow(progress, GW_CHILD), text);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return true;
        }
        if (!IsDialogMessageW(progress, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return GetPropW(progress, kCancelledProperty) != nullptr;
}

void CloseProgressWindow(HWND progress, HWND mainWindow)
{
    if (!progress)
        return;
    EnableWindow(mainWindow, TRUE);
    RemovePropW(progress, kCancelledProperty);
    DestroyWindow(progress);
}
