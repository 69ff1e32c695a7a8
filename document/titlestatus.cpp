#include "document/titlestatus.h"

#include <commctrl.h>

#include <cwchar>

#include "document/ansitext.h"
#include "document/documentstate.h"
#include "platform/framemessages.h"
#include "res/resource.h"

HICON IDI_SAVED = nullptr;
HICON IDI_UNSAVED = nullptr;

namespace {

const int kTitleCapacity = 1024;

enum StatusPart { kPositionPart = 1, kSizePart = 2, kSavedPart = 3, kEncodingPart = 4 };

void SetPartText(HWND status, int part, const wchar_t* text)
{
    SendMessageW(status, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(text));
}

}  // namespace

void FormatTitleText(const wchar_t* name, int isModified, wchar_t* text)
{
    wsprintfW(text, L" %s%s - Scrivlet", name, isModified ? L"*" : L"");
}

void FormatPositionText(DWORD selectionStart, DWORD selectionEnd, int line, DWORD lineStart, wchar_t* text)
{
    if (selectionStart != selectionEnd)
        wcscpy(text, L"\t[Selection]");
    else
        wsprintfW(text, L"\tLn: %d / Col: %d", line, static_cast<int>(selectionStart - lineStart + 1));
}

void FormatSizeText(int count, wchar_t* text)
{
    if (count == 0)
        wcscpy(text, L"\t(Empty)");
    else if (count == 1)
        wcscpy(text, L"\t1 char");
    else if (count <= 1024)
        wsprintfW(text, L"\t%d chars", count);
    else if (count < 1048576)
        swprintf(text, kStatusTextCapacity, L"\t%2.2f KB", count * 0.0009765625);
    else
        swprintf(text, kStatusTextCapacity, L"\t%2.2f MB", count * 0.00000095367431640625);
}

bool FormatEncodingText(const TextFormat& format, UINT codePage, wchar_t* text)
{
    const wchar_t* name;
    switch (format.Encoding) {
        case kAnsiText:
            name = AnsiEncodingName(codePage);
            break;
        case kUtf16LeText:
            name = format.HasMark ? L"UNICODE" : L"UTF-16LE";
            break;
        case kUtf8Text:
            name = format.HasMark ? L"UTF-8 BOM" : L"UTF-8";
            break;
        case kUtf16BeText:
            name = format.HasMark ? L"UNICODE BE" : L"UTF-16BE";
            break;
        default:
            return false;
    }
    const wchar_t* lineEnds = format.LineEnds == kLfLineEnds ? L" LF" : format.LineEnds == kCrLineEnds ? L" CR" : L"";
    wsprintfW(text, L"\t%s%s", name, lineEnds);
    return true;
}

int UpdateTitle(HWND mainWindow, const wchar_t* path, const int* isModified)
{
    if (!IsWindow(mainWindow) || !path || !isModified)
        return 0;
    wchar_t name[kPathCapacity];
    if (IsUntitled(path))
        wcscpy(name, kUntitled);
    else if (FileNameFromPath(path, name, kPathCapacity) != 0)
        return 0;
    wchar_t title[kTitleCapacity];
    FormatTitleText(name, *isModified, title);
    SetWindowTextW(mainWindow, title);
    return 1;
}

LRESULT UpdateStatusBar(HWND mainWindow, HICON savedIcon, HICON unsavedIcon)
{
    HWND edit = GetDlgItem(mainWindow, IDC_EDIT);
    HWND status = GetDlgItem(mainWindow, IDC_STATUSBAR);
    wchar_t text[kStatusTextCapacity];

    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    int line = static_cast<int>(SendMessageW(edit, EM_LINEFROMCHAR, start, 0)) + 1;
    DWORD lineStart = static_cast<DWORD>(SendMessageW(edit, EM_LINEINDEX, static_cast<WPARAM>(-1), 0));
    FormatPositionText(start, end, line, lineStart, text);
    SetPartText(status, kPositionPart, text);

    FormatSizeText(GetWindowTextLengthW(edit), text);
    SetPartText(status, kSizePart, text);

    if (DocumentState.IsModified == 0 || DocumentState.IsModified == 1) {
        bool saved = DocumentState.IsModified == 0;
        SetPartText(status, kSavedPart, saved ? L"\t[SAVED]" : L"\t[UNSAVED]");
        SendMessageW(status, SB_SETICON, kSavedPart, reinterpret_cast<LPARAM>(saved ? savedIcon : unsavedIcon));
    }
    if (FormatEncodingText(DocumentState.Format, GetACP(), text))
        SetPartText(status, kEncodingPart, text);
    return 0;
}

int RefreshTitleAndStatus(HWND mainWindow)
{
    UpdateTitle(mainWindow, DocumentState.FilePath, &DocumentState.IsModified);
    UpdateStatusBar(mainWindow, IDI_SAVED, IDI_UNSAVED);
    return 1;
}

void ShowStatusNote(HWND mainWindow, const wchar_t* text)
{
    SendDlgItemMessageW(mainWindow, IDC_STATUSBAR, SB_SETTEXTW, 0 | SBT_NOBORDERS, reinterpret_cast<LPARAM>(text));
}

namespace {

const wchar_t* LastingNote = nullptr;

}  // namespace

void ShowLastingStatusNote(HWND mainWindow, const wchar_t* text)
{
    if (text == LastingNote)
        return;
    LastingNote = text;
    // The frame lays the parts out, with the note's part or without it.
    SendMessageW(mainWindow, WM_SCRIVLET_LAYOUTSTATUS, 0, 0);
}

const wchar_t* LastingStatusNote()
{
    return LastingNote;
}
