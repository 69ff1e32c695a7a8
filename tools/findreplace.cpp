#include "tools/findreplace.h"

#include <climits>
#include <cstdlib>
#include <cwchar>

#include "document/documentchange.h"
#include "document/documentstate.h"
#include "document/titlestatus.h"
#include "platform/centerwindow.h"
#include "platform/guard.h"
#include "platform/messages.h"
#include "platform/textbuffer.h"
#include "prefs/settings.h"
#include "res/resource.h"
#include "tools/textsearch.h"

HWND FindReplaceDialog = nullptr;

namespace {

// Find text, replacement and seed each take at most 1023 characters.
const int kTextCapacity = 1024;
const wchar_t* const kCaseSetting = L"CaseSensitive";

HWND DocumentEdit(HWND dialog)
{
    return GetDlgItem(GetParent(dialog), IDC_EDIT);
}

void GetSelection(HWND edit, DWORD* start, DWORD* end)
{
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(start), reinterpret_cast<LPARAM>(end));
}

int CaseBoxChecked(HWND dialog)
{
    return IsDlgButtonChecked(dialog, IDC_CASESENSITIVE) == BST_CHECKED ? 1 : 0;
}

// A request the dialog cannot carry out: point the user at the box to fix.
void RefuseWithBox(HWND dialog, int boxId)
{
    HWND box = GetDlgItem(dialog, boxId);
    SetFocus(box);
    SendMessageW(box, EM_SETSEL, 0, GetWindowTextLengthW(box));
    MessageBeep(MB_OK);
}

BOOL InitializeDialog(HWND dialog)
{
    SendDlgItemMessageW(dialog, IDC_FINDTEXT, EM_LIMITTEXT, 0, 0);
    SendDlgItemMessageW(dialog, IDC_REPLACETEXT, EM_LIMITTEXT, 0, 0);
    HWND edit = DocumentEdit(dialog);
    DWORD start = 0, end = 0;
    GetSelection(edit, &start, &end);
    if (end != 0) {
        LockedText document(TextBufferOf(edit));
        if (!document.get())
            return FALSE;
        // A longer selection is cut to the seed's size, never past it, and
        // not between the two halves of a surrogate pair.
        DWORD count = end > start ? end - start : 0;
        if (count > kTextCapacity - 1)
            count = kTextCapacity - 1;
        if (count > 0 && IS_HIGH_SURROGATE(document.get()[start + count - 1]))
            --count;
        wchar_t seed[kTextCapacity] = {};
        wmemcpy(seed, document.get() + start, count);
        SetDlgItemTextW(dialog, IDC_FINDTEXT, seed);
    }
    SetFocus(GetDlgItem(dialog, IDC_FINDTEXT));
    DWORD caseSensitive = 0;
    GetSettingDword(kCaseSetting, &caseSensitive);
    if (caseSensitive)
        CheckDlgButton(dialog, IDC_CASESENSITIVE, BST_CHECKED);
    return TRUE;
}

void FindNext(HWND dialog)
{
    HWND edit = DocumentEdit(dialog);
    const wchar_t* found = nullptr;
    size_t findLength = 0;
    DWORD position = 0;
    {
        LockedText document(TextBufferOf(edit));
        if (!document.get() || !document.get()[0])
            return;
        wchar_t find[kTextCapacity] = {};
        GetDlgItemTextW(dialog, IDC_FINDTEXT, find, kTextCapacity);
        if (find[0]) {
            DWORD start = 0;
            GetSelection(edit, &start, &position);
            findLength = wcslen(find);
            const wchar_t* text = document.get();
            // The control keeps its length: measuring a 50 MB text again on
            // every search cost 20 ms, half as long as the search itself.
            const wchar_t* end = text + GetWindowTextLengthW(edit);
            found = FindOccurrence(text + position, end, find, findLength, CaseBoxChecked(dialog));
            if (found)
                position = static_cast<DWORD>(found - document.get());
        }
    }
    if (!found) {
        RefuseWithBox(dialog, IDC_FINDTEXT);
        return;
    }
    SendMessageW(edit, EM_SETSEL, position, position + findLength);
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

// Replaces the selection whatever it holds; only a caret at the very start
// counts as nothing to replace.
void ReplaceSelection(HWND dialog)
{
    HWND edit = DocumentEdit(dialog);
    DWORD start = 0, end = 0;
    GetSelection(edit, &start, &end);
    if (end == 0) {
        RefuseWithBox(dialog, IDC_REPLACETEXT);
        return;
    }
    wchar_t replacement[kTextCapacity] = {};
    GetDlgItemTextW(dialog, IDC_REPLACETEXT, replacement, kTextCapacity);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(replacement));
}

void ReplaceAll(HWND dialog)
{
    wchar_t find[kTextCapacity] = {};
    wchar_t replacement[kTextCapacity] = {};
    GetDlgItemTextW(dialog, IDC_FINDTEXT, find, kTextCapacity);
    GetDlgItemTextW(dialog, IDC_REPLACETEXT, replacement, kTextCapacity);
    if (!find[0])
        return;
    HWND mainWindow = GetParent(dialog);
    ReplaceRequest request = {};
    {
        LockedText document(TextBufferOf(GetDlgItem(mainWindow, IDC_EDIT)));
        if (!document.get())
            return;
        request.SourceText = document.get();
        request.FindText = find;
        request.ReplaceText = replacement;
        request.CaseSensitive = CaseBoxChecked(dialog);
        if (BuildReplacedText(&request) <= 0)
            return;
    }
    HLOCAL block = MakeTextBlock(request.ResultText, static_cast<size_t>(request.ResultLength));
    free(request.ResultText);
    if (!block)
        return;
    // The old buffer stays valid until the control has taken the new one.
    HandTextToEdit(mainWindow, block);
    // A handed-over buffer raises no change notice, yet the text has changed:
    // without the mark, closing would drop the replacements without asking.
    DocumentState.IsModified = 1;
    DocumentChanged(mainWindow);
}

void StoreCaseSetting(HWND dialog)
{
    UINT state = IsDlgButtonChecked(dialog, IDC_CASESENSITIVE);
    if (state == BST_CHECKED || state == BST_UNCHECKED)
        SetSettingDword(kCaseSetting, state == BST_CHECKED ? 1 : 0);
}

INT_PTR OnCommand(HWND dialog, WORD id)
{
    switch (id) {
        case IDC_FINDNEXT:
            FindNext(dialog);
            break;
        case IDC_REPLACE:
            ReplaceSelection(dialog);
            break;
        case IDC_REPLACEALL:
            ReplaceAll(dialog);
            break;
        case IDC_CASESENSITIVE:
            StoreCaseSetting(dialog);
            break;
        case IDCANCEL:
            // Hides the dialog; FindReplaceDialog keeps naming it.
            EndDialog(dialog, 0);
            break;
    }
    return FALSE;
}

INT_PTR FindReplaceMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
        case WM_INITDIALOG:
            return InitializeDialog(dialog);
        case WM_COMMAND:
            return OnCommand(dialog, LOWORD(wParam));
        case WM_CLOSE:
            EndDialog(dialog, 0);
            return TRUE;
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK FindReplaceProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunGuarded<INT_PTR>(IsUserRequest(message),
                               [&] { return FindReplaceMessage(dialog, message, wParam, lParam); });
}

}  // namespace

LRESULT ShowFindReplaceDialog(HWND mainWindow)
{
    HWND dialog = nullptr;
    if (IsWindow(mainWindow))
        dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_FINDREPLACE), mainWindow,
                                    FindReplaceProc, 0);
    if (!dialog) {
        ShowErrorMessage(L"Failed to create find/replace dialog!");
        return 0;
    }
    CenterWindowOn(mainWindow, dialog);
    ShowWindow(dialog, SW_SHOW);
    FindReplaceDialog = dialog;
    return 0;
}

int BuildReplacedText(ReplaceRequest* request)
{
    if (!request || !request->SourceText || !request->SourceText[0] || !request->FindText || !request->FindText[0] ||
        !request->ReplaceText)
        return -1;
    const wchar_t* source = request->SourceText;
    const wchar_t* find = request->FindText;
    const wchar_t* replacement = request->ReplaceText;
    const int caseSensitive = request->CaseSensitive;
    const size_t findLength = wcslen(find);
    const size_t replaceLength = wcslen(replacement);

    const wchar_t* const end = source + wcslen(source);
    unsigned long long count = 0;
    for (const wchar_t* at = source; *at && (at = FindOccurrence(at, end, find, findLength, caseSensitive)) != nullptr;
         at += findLength)
        ++count;
    if (count == 0)
        return 0;

    // In 64 bits: each match removes findLength characters (so this never
    // goes below 0) and adds replaceLength. The result must fit the int count
    // and length, and its bytes with the terminator must fit a 32-bit size.
    const unsigned long long length = (end - source) - count * findLength + count * replaceLength;
    if (count > INT_MAX || length >= INT_MAX)
        return -1;
    wchar_t* result = static_cast<wchar_t*>(calloc(static_cast<size_t>(length) + 1, sizeof(wchar_t)));
    if (!result)
        return -1;

    const wchar_t* p = source;
    wchar_t* q = result;
    while (*p) {
        const wchar_t* found = FindOccurrence(p, end, find, findLength, caseSensitive);
        if (!found) {
            wmemcpy(q, p, end - p);
            break;
        }
        wmemcpy(q, p, found - p);
        q += found - p;
        wmemcpy(q, replacement, replaceLength);
        q += replaceLength;
        p = found + findLength;
    }
    result[length] = L'\0';
    request->ResultText = result;
    request->ResultLength = static_cast<int>(length);
    return static_cast<int>(count);
}
