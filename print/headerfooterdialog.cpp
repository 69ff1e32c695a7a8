#include "print/headerfooterdialog.h"

#include "platform/guard.h"
#include "platform/messages.h"
#include "print/pagesetup.h"
#include "res/resource.h"

namespace {

void ShowStoredTexts(HWND dialog)
{
    SendDlgItemMessageW(dialog, IDC_HEADERTEXT, EM_LIMITTEXT, kPageTextCapacity - 1, 0);
    SendDlgItemMessageW(dialog, IDC_FOOTERTEXT, EM_LIMITTEXT, kPageTextCapacity - 1, 0);
    SetDlgItemTextW(dialog, IDC_HEADERTEXT, StoredHeader().c_str());
    SetDlgItemTextW(dialog, IDC_FOOTERTEXT, StoredFooter().c_str());
}

void StoreEditedTexts(HWND dialog)
{
    wchar_t header[kPageTextCapacity] = {};
    wchar_t footer[kPageTextCapacity] = {};
    GetDlgItemTextW(dialog, IDC_HEADERTEXT, header, kPageTextCapacity);
    GetDlgItemTextW(dialog, IDC_FOOTERTEXT, footer, kPageTextCapacity);
    StoreHeaderAndFooter(header, footer);
}

INT_PTR HeaderFooterMessage(HWND dialog, UINT message, WPARAM wParam)
{
    switch (message) {
        case WM_INITDIALOG:
            ShowStoredTexts(dialog);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                StoreEditedTexts(dialog);
                EndDialog(dialog, IDOK);
            } else if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
            }
            break;
    }
    return FALSE;
}

INT_PTR CALLBACK HeaderFooterProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    return RunGuarded<INT_PTR>(IsUserRequest(message), [&] { return HeaderFooterMessage(dialog, message, wParam); });
}

}  // namespace

LRESULT ShowHeaderFooterDialog(HWND mainWindow)
{
    if (DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_HEADERFOOTER), mainWindow, HeaderFooterProc,
                        0) == -1)
        ShowErrorMessage(L"Failed to open the Header and Footer dialog!");
    return 0;
}
