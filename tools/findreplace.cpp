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

// The option boxes and the settings that keep them; the Down button is the
// opposite of Up.
struct OptionBox {
    int id;
    const wchar_t* setting;
    DWORD fallback;
    int SearchOptions::*option;
};
const OptionBox kOptionBoxes[] = {
    {IDC_CASESENSITIVE, L"CaseSensitive", 0, &SearchOptions::CaseSensitive},
    {IDC_WHOLEWORD, L"WholeWord", 0, &SearchOptions::WholeWord},
    {IDC_WRAPAROUND, L"WrapAround", 1, &SearchOptions::WrapAround},
    {IDC_UP, L"SearchUp", 0, &SearchOptions::Up},
};

// What F3 searches for: the find text of the last search in any dialog.
wchar_t LastFindText[kTextCapacity];

HWND DocumentEdit(HWND dialog)
{
    return GetDlgItem(GetParent(dialog), IDC_EDIT);
}

void GetSelection(HWND edit, DWORD* start, DWORD* end)
{
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(start), reinterpret_cast<LPARAM>(end));
}

SearchOptions StoredOptions()
{
    SearchOptions options = {};
    for (const OptionBox& box : kOptionBoxes)
        options.*box.option = SettingDwordOr(box.setting, box.fallback) != 0;
    return options;
}

SearchOptions DialogOptions(HWND dialog)
{
    SearchOptions options = {};
    for (const OptionBox& box : kOptionBoxes)
        options.*box.option = IsDlgButtonChecked(dialog, box.id) == BST_CHECKED;
    return options;
}

void ShowOptions(HWND dialog, const SearchOptions& options)
{
    for (const OptionBox& box : kOptionBoxes)
        CheckDlgButton(dialog, box.id, options.*box.option ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_DOWN, options.Up ? BST_UNCHECKED : BST_CHECKED);
}

void StoreOptions(HWND dialog)
{
    const SearchOptions options = DialogOptions(dialog);
    for (const OptionBox& box : kOptionBoxes)
        SetSettingDword(box.setting, options.*box.option ? 1 : 0);
}

// The dialog's find text, which becomes the one F3 searches for; false when
// it is empty.
bool TakeFindText(HWND dialog, wchar_t* find)
{
    GetDlgItemTextW(dialog, IDC_FINDTEXT, find, kTextCapacity);
    if (find[0])
        wcscpy(LastFindText, find);
    return find[0] != L'\0';
}

// Points the user at the box to fix.
void PointAtBox(HWND dialog, int boxId)
{
    HWND box = GetDlgItem(dialog, boxId);
    SetFocus(box);
    SendMessageW(box, EM_SETSEL, 0, GetWindowTextLengthW(box));
}

// A request the dialog cannot carry out.
void RefuseWithBox(HWND dialog, int boxId)
{
    PointAtBox(dialog, boxId);
    MessageBeep(MB_OK);
}

// Whether the selection is an occurrence of find under the options.
bool SelectionIsMatch(HWND edit, const wchar_t* find, const SearchOptions& options)
{
    DWORD start = 0, end = 0;
    GetSelection(edit, &start, &end);
    const size_t findLength = wcslen(find);
    if (end - start != findLength)
        return false;
    LockedText document(TextBufferOf(edit));
    const wchar_t* text = document.get();
    if (!text)
        return false;
    const wchar_t* textEnd = text + GetWindowTextLengthW(edit);
    return FindWordOccurrence(text, textEnd, text + start, text + end, find, findLength, options.CaseSensitive,
                              options.WholeWord) == text + start;
}

// Selects the next occurrence from the selection and says in status part 0
// when the search wrapped; finding none, beeps and says so. False then.
bool SelectNextMatch(HWND mainWindow, const wchar_t* find, const SearchOptions& options)
{
    HWND edit = GetDlgItem(mainWindow, IDC_EDIT);
    const size_t findLength = wcslen(find);
    SearchHit hit = {};
    {
        LockedText document(TextBufferOf(edit));
        if (!document.get())
            return false;
        DWORD start = 0, end = 0;
        GetSelection(edit, &start, &end);
        // The control keeps its length: measuring a 50 MB text again on
        // every search cost 20 ms, half as long as the search itself.
        hit = FindNextMatch(document.get(), GetWindowTextLengthW(edit), start, end, find, findLength, options);
    }
    if (!hit.Found) {
        wchar_t note[kFindNoteCapacity];
        FormatCannotFindNote(find, note);
        ShowStatusNote(mainWindow, note);
        MessageBeep(MB_OK);
        return false;
    }
    SendMessageW(edit, EM_SETSEL, hit.Start, hit.Start + findLength);
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
    const wchar_t* note = L"";
    if (hit.Wrapped)
        note = options.Up ? L"Passed the start of the document; continued from the bottom."
                          : L"Passed the end of the document; continued from the top.";
    ShowStatusNote(mainWindow, note);
    return true;
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
    ShowOptions(dialog, StoredOptions());
    return TRUE;
}

// Find next, or F3 in the dialog (against the dialog's direction when reverse).
void FindNext(HWND dialog, bool reverse)
{
    wchar_t find[kTextCapacity] = {};
    if (!TakeFindText(dialog, find)) {
        RefuseWithBox(dialog, IDC_FINDTEXT);
        return;
    }
    SearchOptions options = DialogOptions(dialog);
    if (reverse)
        options.Up = !options.Up;
    if (!SelectNextMatch(GetParent(dialog), find, options))
        PointAtBox(dialog, IDC_FINDTEXT);
}

// Without a find text, replaces the selection whatever it holds; only a
// caret at the very start counts as nothing to replace.
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

// An occurrence selected is replaced and the next one selected; any other
// selection only moves on to the next occurrence.
void ReplaceAndMoveOn(HWND dialog)
{
    wchar_t find[kTextCapacity] = {};
    if (!TakeFindText(dialog, find)) {
        ReplaceSelection(dialog);
        return;
    }
    const SearchOptions options = DialogOptions(dialog);
    HWND edit = DocumentEdit(dialog);
    if (SelectionIsMatch(edit, find, options)) {
        wchar_t replacement[kTextCapacity] = {};
        GetDlgItemTextW(dialog, IDC_REPLACETEXT, replacement, kTextCapacity);
        DWORD start = 0, end = 0;
        GetSelection(edit, &start, &end);
        SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(replacement));
        // Searching up, the next occurrence is the one before the new text.
        if (options.Up)
            SendMessageW(edit, EM_SETSEL, start, start);
    }
    if (!SelectNextMatch(GetParent(dialog), find, options))
        PointAtBox(dialog, IDC_FINDTEXT);
}

void ReplaceAll(HWND dialog)
{
    wchar_t find[kTextCapacity] = {};
    wchar_t replacement[kTextCapacity] = {};
    if (!TakeFindText(dialog, find))
        return;
    GetDlgItemTextW(dialog, IDC_REPLACETEXT, replacement, kTextCapacity);
    HWND mainWindow = GetParent(dialog);
    const SearchOptions options = DialogOptions(dialog);
    ReplaceRequest request = {};
    int count = 0;
    wchar_t note[kFindNoteCapacity];
    {
        LockedText document(TextBufferOf(GetDlgItem(mainWindow, IDC_EDIT)));
        if (!document.get())
            return;
        request.SourceText = document.get();
        request.FindText = find;
        request.ReplaceText = replacement;
        request.CaseSensitive = options.CaseSensitive;
        request.WholeWord = options.WholeWord;
        count = BuildReplacedText(&request);
    }
    if (count == 0) {
        FormatCannotFindNote(find, note);
        ShowStatusNote(mainWindow, note);
    }
    if (count <= 0)
        return;
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
    FormatReplacedNote(count, note);
    ShowStatusNote(mainWindow, note);
}

INT_PTR OnCommand(HWND dialog, WORD id)
{
    switch (id) {
        case IDC_FINDNEXT:
            FindNext(dialog, false);
            break;
        case IDC_REPLACE:
            ReplaceAndMoveOn(dialog);
            break;
        case IDC_REPLACEALL:
            ReplaceAll(dialog);
            break;
        case IDC_CASESENSITIVE:
        case IDC_WHOLEWORD:
        case IDC_WRAPAROUND:
        case IDC_UP:
        case IDC_DOWN:
            StoreOptions(dialog);
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

LRESULT FindAgain(HWND mainWindow, bool reverse)
{
    if (!LastFindText[0])
        return ShowFindReplaceDialog(mainWindow);
    SearchOptions options = StoredOptions();
    if (reverse)
        options.Up = !options.Up;
    SelectNextMatch(mainWindow, LastFindText, options);
    return 0;
}

bool HandleFindKeyInDialog(const MSG* message)
{
    HWND dialog = FindReplaceDialog;
    if (!dialog || message->message != WM_KEYDOWN || message->wParam != VK_F3 ||
        (message->hwnd != dialog && !IsChild(dialog, message->hwnd)))
        return false;
    FindNext(dialog, GetKeyState(VK_SHIFT) < 0);
    return true;
}

void FormatCannotFindNote(const wchar_t* find, wchar_t* note)
{
    size_t length = wcslen(find);
    const bool cut = length > kNoteFindLength;
    if (cut) {
        length = kNoteFindLength;
        // Never between the two halves of a surrogate pair.
        if (IS_HIGH_SURROGATE(find[length - 1]))
            --length;
    }
    wcscpy(note, L"Cannot find \"");
    wcsncat(note, find, length);
    wcscat(note, cut ? L"\u2026\"." : L"\".");
}

void FormatReplacedNote(int count, wchar_t* note)
{
    if (count == 1)
        wcscpy(note, L"Replaced 1 occurrence.");
    else
        wsprintfW(note, L"Replaced %d occurrences.", count);
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
    const int wholeWord = request->WholeWord;
    const size_t findLength = wcslen(find);
    const size_t replaceLength = wcslen(replacement);

    const wchar_t* const end = source + wcslen(source);
    unsigned long long count = 0;
    for (const wchar_t* at = source;
         *at && (at = FindWordOccurrence(source, end, at, end, find, findLength, caseSensitive, wholeWord)) != nullptr;
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
        const wchar_t* found = FindWordOccurrence(source, end, p, end, find, findLength, caseSensitive, wholeWord);
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
