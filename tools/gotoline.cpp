#include "tools/gotoline.h"

#include <climits>

#include "platform/guard.h"
#include "platform/messages.h"
#include "res/resource.h"

namespace {

// The 1-based line of the caret, or of the selection's start.
int CaretLine(HWND edit)
{
    return static_cast<int>(SendMessageW(edit, EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0)) + 1;
}

void ShowCaretLine(HWND dialog, HWND edit)
{
    SetDlgItemInt(dialog, IDC_LINENUMBER, CaretLine(edit), TRUE);
}

// Scrolls by the distance from the caret's line to the chosen one, so the
// chosen line reaches the top when the caret's line was there. The caret
// stays where it is; the control stops at the first and the last line.
void ScrollToChosenLine(HWND dialog, HWND edit)
{
    long long current = CaretLine(edit);
    long long target = static_cast<int>(GetDlgItemInt(dialog, IDC_LINENUMBER, nullptr, TRUE));
    // A pasted number far below zero must not wrap around into a scroll down.
    long long lines = target - current;
    if (lines < INT_MIN)
        lines = INT_MIN;
    SendMessageW(edit, EM_LINESCROLL, 0, static_cast<LPARAM>(lines));
    SetFocus(edit);
}

INT_PTR GoToLineMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    HWND edit = GetDlgItem(GetParent(dialog), IDC_EDIT);
    switch (message) {
        case WM_INITDIALOG:
            ShowCaretLine(dialog, edit);
            break;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK)
                ScrollToChosenLine(dialog, edit);
            else if (LOWORD(wParam) == IDCANCEL)
                EndDialog(dialog, 0);
            break;
        case WM_CLOSE:
            EndDialog(dialog, 0);
            break;
    }
    return FALSE;
}

INT_PTR CALLBACK GoToLineProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunGuarded<INT_PTR>(IsUserRequest(message),
                               [&] { return GoToLineMessage(dialog, message, wParam, lParam); });
}

}  // namespace

LRESULT ShowGoToLineDialog(HWND mainWindow)
{
    if (DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_GOTOLINE), mainWindow, GoToLineProc, 0) == -1)
        ShowErrorMessage(L"Failed to create jump to dialog!");
    return 0;
}
