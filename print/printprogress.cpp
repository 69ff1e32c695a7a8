#include "print/printprogress.h"

#include "platform/guard.h"
#include "res/resource.h"

namespace {

// Set on the window when Cancel is pressed.
const wchar_t kCancelledProperty[] = L"Scrivlet_PrintCancelled";

INT_PTR CALLBACK PrintProgressProc(HWND progress, UINT message, WPARAM wParam, LPARAM)
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

HWND OpenPrintProgress(HWND mainWindow)
{
    HWND progress = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PRINTPROGRESS), mainWindow,
                                       PrintProgressProc, 0);
    if (progress)
        EnableWindow(mainWindow, FALSE);
    return progress;
}

bool PrintProgressCancelled(HWND progress, size_t page, size_t pages)
{
    if (!progress)
        return false;
    wchar_t text[256];
    wsprintfW(text, L"Printing page %u of %u", static_cast<unsigned>(page), static_cast<unsigned>(pages));
    SetDlgItemTextW(progress, IDC_PRINTPAGE, text);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Handed back to the main loop, which ends the program after the job.
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

void ClosePrintProgress(HWND progress, HWND mainWindow)
{
    if (!progress)
        return;
    EnableWindow(mainWindow, TRUE);
    RemovePropW(progress, kCancelledProperty);
    DestroyWindow(progress);
}
