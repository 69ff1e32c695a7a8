#include "about/aboutdialog.h"

#include <shellapi.h>

#include "about/gllogo.h"
#include "build_stamp.h"
#include "platform/centerwindow.h"
#include "platform/dpi.h"
#include "platform/guard.h"
#include "platform/messages.h"
#include "res/resource.h"

HyperlinkControl AboutHyperlink;
const wchar_t* const kProjectPage = L"https://scrivlet.sourceforge.io/";

namespace {

const wchar_t kCredits[] = L"Scrivlet 2.0.2 (" SCRIVLET_BUILD_STAMP
                           ")\r\n"
                           L"------------------------------------------\r\n"
                           L"A plain-text editor for Windows 2000 and later,\r\n"
                           L"written in C++ on the Win32 API.\r\n"
                           L"Logo rendered with OpenGL.\r\n"
                           L"------------------------------------------\r\n"
                           L"Special thanks\r\n"
                           L"To everyone who tried it out and reported a bug.\r\n"
                           L"------------------------------------------\r\n"
                           L"Notes\r\n"
                           L"Reads and writes ANSI, UTF-8 and UTF-16 (LE and BE)\r\n"
                           L"text files, with CR LF, LF or CR line ends.\r\n"
                           L"Settings are kept in the registry.";

HyperlinkParams ProjectLinkParams(HWND dialog)
{
    // Placed in pixels, not dialog units: 11, 115, 185 x 20 and a font of
    // height 12 at 96 dpi, scaled for the screen. 185 wide, not 175: Wine's
    // MS Sans Serif needs 176 for the text at 96 dpi and 268 of 278 at 144.
    const int dpi = ScreenDpi();
    HyperlinkParams params = {};
    params.parent = dialog;
    params.id = 0;
    params.x = ScaledPixels(11, dpi);
    params.y = ScaledPixels(115, dpi);
    params.width = ScaledPixels(185, dpi);
    params.height = ScaledPixels(20, dpi);
    params.face = L"MS Sans Serif";
    params.fontHeight = ScaledPixels(12, dpi);
    params.normalColor = RGB(0, 0, 255);
    params.hoverColor = RGB(255, 0, 0);
    params.backgroundColor = GetSysColor(COLOR_BTNFACE);
    params.hasBackground = true;
    params.clickCallback = OpenProjectPage;
    params.text = L"Click here to download source code";
    params.notifyParent = true;
    return params;
}

INT_PTR InitAboutDialog(HWND dialog)
{
    AboutHyperlink.Create(ProjectLinkParams(dialog));
    SetDlgItemTextW(dialog, IDC_ABOUTTEXT, kCredits);
    CenterWindowOn(GetParent(dialog), dialog);
    return TRUE;
}

INT_PTR CloseAboutDialog(HWND dialog)
{
    AboutHyperlink.Release();
    EndDialog(dialog, 0);
    return TRUE;
}

INT_PTR AboutDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
        case WM_INITDIALOG:
            return InitAboutDialog(dialog);
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
                return CloseAboutDialog(dialog);
            return FALSE;
        case WM_CLOSE:
            return CloseAboutDialog(dialog);
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunGuarded<INT_PTR>(IsUserRequest(message),
                               [&] { return AboutDialogMessage(dialog, message, wParam, lParam); });
}

}  // namespace

LRESULT ShowAboutDialog(HWND mainWindow)
{
    RegisterLogoClass();
    if (DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), mainWindow, AboutDialogProc, 0) == -1)
        ShowErrorMessage(L"Failed to create dialog!");
    return 0;
}

void OpenProjectPage(DWORD)
{
    ShellExecuteW(nullptr, L"open", kProjectPage, nullptr, nullptr, SW_SHOWNORMAL);
}
