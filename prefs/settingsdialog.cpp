#include "prefs/settingsdialog.h"

#include <commctrl.h>

#include "platform/guard.h"
#include "platform/messages.h"
#include "prefs/fileassociation.h"
#include "prefs/settings.h"
#include "res/resource.h"

HWND SettingsDialog = nullptr;

namespace {

const BYTE kOpaque = 255;

void InitSettingsDialog(HWND dialog)
{
    DWORD opacity = 0;
    GetSettingDword(L"Opacity", &opacity);
    // A stored 0 (or none) leaves the window opaque at start-up: show it so.
    if (opacity == 0)
        opacity = kOpaque;
    HWND slider = GetDlgItem(dialog, IDC_OPACITY);
    SendMessageW(slider, TBM_SETRANGEMAX, FALSE, kOpaque);
    SendMessageW(slider, TBM_SETPOS, TRUE, opacity);
}

void OnScroll(HWND dialog, WPARAM wParam)
{
    // Only a drag previews; other slider moves take effect on OK.
    if (LOWORD(wParam) == TB_THUMBTRACK)
        ApplyOpacity(dialog);
}

void OnCommand(HWND dialog, WPARAM wParam)
{
    switch (LOWORD(wParam)) {
        case IDOK:
            ApplyOpacity(dialog);
            InvalidateRect(GetParent(dialog), nullptr, TRUE);
            EndDialog(dialog, 0);
            break;
        case IDCANCEL:
            EndDialog(dialog, 0);
            break;
        case IDC_ASSOCIATE:
            AssociateTextFiles();
            break;
    }
}

INT_PTR SettingsDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
        case WM_INITDIALOG:
            InitSettingsDialog(dialog);
            break;
        case WM_HSCROLL:
            OnScroll(dialog, wParam);
            break;
        case WM_COMMAND:
            OnCommand(dialog, wParam);
            break;
        case WM_CLOSE:
            EndDialog(dialog, 0);
            break;
    }
    return FALSE;
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunGuarded<INT_PTR>(IsUserRequest(message),
                               [&] { return SettingsDialogMessage(dialog, message, wParam, lParam); });
}

}  // namespace

void ApplyOpacity(HWND settingsDialog)
{
    const BYTE alpha = static_cast<BYTE>(SendDlgItemMessageW(settingsDialog, IDC_OPACITY, TBM_GETPOS, 0, 0) & 0xFF);
    SetSettingDword(L"Opacity", alpha);
    HWND mainWindow = GetParent(settingsDialog);
    const LONG_PTR style = GetWindowLongPtrW(mainWindow, GWL_EXSTYLE);
    if (alpha == kOpaque) {
        SetLayeredWindowAttributes(mainWindow, 0, kOpaque, LWA_ALPHA);
        SetWindowLongPtrW(mainWindow, GWL_EXSTYLE, style & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
        InvalidateRect(mainWindow, nullptr, TRUE);
    } else {
        SetWindowLongPtrW(mainWindow, GWL_EXSTYLE, style | WS_EX_LAYERED);
        SetLayeredWindowAttributes(mainWindow, 0, alpha, LWA_ALPHA);
    }
}

LRESULT ShowSettingsDialog(HWND mainWindow)
{
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SETTINGS), mainWindow,
                                     SettingsDialogProc, 0);
    if (!dialog) {
        ShowErrorMessage(L"Failed to show settings dialog!");
        return 0;
    }
    ShowWindow(dialog, SW_SHOW);
    SettingsDialog = dialog;
    return 0;
}
