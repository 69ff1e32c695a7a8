#include "document/outsidechange.h"

#include <commctrl.h>

#include "document/backgroundcheck.h"
#include "document/documentchange.h"
#include "document/documentstate.h"
#include "document/textfile.h"
#include "document/titlestatus.h"
#include "platform/framemessages.h"
#include "platform/messages.h"
#include "res/resource.h"

namespace {

const int kMessageCapacity = 1024;

// Where the caret and the view were before a reload, put back once the
// control has the new text.
struct TextPlace {
    bool pending;
    DWORD caretLine, caretColumn, firstLine;
};
TextPlace PlaceToRestore = {};

// What the checks learnt about the file since the document's base version
// was taken: the outside version the user was last asked about and chose
// not to load (so it is not asked about again), and whether the file was
// found gone (the text was then marked modified). A new base (a load, a
// save) starts afresh.
struct OutsideHistory {
    FileVersion base;
    FileVersion asked;
    bool gone;
    uint64_t changesWhenGone;  // the document's change count once it was marked
};
OutsideHistory History = {};

// A check that found a box or dialog open waits for it to close.
bool CheckWaiting = false;
// The check's own questions are boxes too: coming back while one is up
// starts no second check.
bool Checking = false;

BOOL CALLBACK FindShownDialog(HWND window, LPARAM found)
{
    wchar_t name[16] = {};
    GetClassNameW(window, name, ARRAYSIZE(name));
    if (IsWindowVisible(window) && lstrcmpW(name, L"#32770") == 0) {
        *reinterpret_cast<bool*>(found) = true;
        return FALSE;
    }
    return TRUE;
}

// Message boxes, the common dialogs and the program's own dialogs, modal or
// not, are all of the dialog class; a modal one also disables the window.
bool ShowsABoxOrDialog(HWND mainWindow)
{
    bool found = !IsWindowEnabled(mainWindow);
    if (!found)
        EnumThreadWindows(GetWindowThreadProcessId(mainWindow, nullptr), FindShownDialog,
                          reinterpret_cast<LPARAM>(&found));
    return found;
}

int Ask(const wchar_t* format, UINT defaultButton)
{
    wchar_t text[kMessageCapacity];
    // wsprintfW stops at 1024 characters, which a 260-character path never reaches.
    wsprintfW(text, format, DocumentState.FilePath);
    return AskUser(text, MB_YESNO | defaultButton);
}

void Reload(HWND mainWindow)
{
    HWND edit = GetDlgItem(mainWindow, IDC_EDIT);
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const DWORD caretLine = static_cast<DWORD>(SendMessageW(edit, EM_LINEFROMCHAR, start, 0));
    const DWORD lineStart = static_cast<DWORD>(SendMessageW(edit, EM_LINEINDEX, caretLine, 0));
    const TextPlace place = {true, caretLine, start - lineStart,
                             static_cast<DWORD>(SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0))};
    if (!ReloadTextFile(mainWindow, DocumentState.FilePath, &DocumentState.IsModified, &DocumentState.Format,
                        &DocumentState.Base)) {
        ShowStatusNote(mainWindow, L"The file was changed by another program and could not be read again.");
        return;
    }
    PlaceToRestore = place;
    PostMessageW(mainWindow, WM_SCRIVLET_RESTOREPLACE, 0, 0);
    ShowStatusNote(mainWindow, L"Reloaded: another program changed the file.");
}

bool SameVersion(const FileVersion& a, const FileVersion& b)
{
    return a.Known == b.Known && a.Hash == b.Hash && SameIdentity(a, b);
}

void ActOnFile(HWND mainWindow, FileState state, const FileVersion& now)
{
    const bool editedSinceGone = DocumentChangeCount() != History.changesWhenGone;
    switch (DecideOnReturn(state, now, DocumentState.IsModified != 0, History.gone, editedSinceGone, History.asked)) {
        case ReturnAction::Nothing:
            break;
        case ReturnAction::Adopt:
            DocumentState.Base = now;
            break;
        case ReturnAction::Reload:
            Reload(mainWindow);
            break;
        case ReturnAction::AskToReload:
            if (Ask(L"'%s' was changed by another program.\n\nIt is larger than 4 MB. Load that version now?",
                    MB_DEFBUTTON1) == IDYES)
                Reload(mainWindow);
            else
                History.asked = now;
            break;
        case ReturnAction::AskToDrop:
            if (Ask(L"'%s' was changed by another program.\n\nYes loads that version and loses the changes made "
                    L"here. No keeps this text; saving it asks before replacing the other version.",
                    MB_DEFBUTTON2) == IDYES)
                Reload(mainWindow);
            else
                History.asked = now;
            break;
        case ReturnAction::MarkGone:
            History.gone = true;
            DocumentState.IsModified = 1;
            DocumentChanged(mainWindow);
            History.changesWhenGone = DocumentChangeCount();
            ShowStatusNote(mainWindow, L"The file is gone from its folder. Save writes it there again.");
            break;
        case ReturnAction::Back:
            DocumentState.Base = now;
            DocumentState.IsModified = 0;
            DocumentChanged(mainWindow);
            ShowStatusNote(mainWindow, L"The file is back in its folder, as it was.");
            break;
    }
    if (state == FileState::Same || state == FileState::Changed)
        History.gone = false;
}

// A check's answer, once the worker has it.
void ActOnAnswer(const FileCheckJob& job)
{
    // The document may have moved on meanwhile (saved, another file opened).
    if (wcscmp(job.path, DocumentState.FilePath) != 0 || !SameVersion(job.base, DocumentState.Base))
        return;
    // A box opened meanwhile: the check is made again once it has closed.
    CheckWaiting = ShowsABoxOrDialog(job.mainWindow);
    if (CheckWaiting)
        return;
    Checking = true;
    ActOnFile(job.mainWindow, job.state, job.now);
    Checking = false;
}

}  // namespace

ReturnAction DecideOnReturn(FileState state, const FileVersion& now, bool modified, bool knownGone,
                            bool editedSinceGone, const FileVersion& asked)
{
    switch (state) {
        case FileState::Same:
            // A moment's absence (a stick pulled out, another program's save
            // between delete and rename) leaves no edit to keep.
            return knownGone && modified && !editedSinceGone ? ReturnAction::Back : ReturnAction::Adopt;
        case FileState::Gone:
            return knownGone ? ReturnAction::Nothing : ReturnAction::MarkGone;
        case FileState::Changed:
            if (asked.Known && SameIdentity(asked, now))
                return ReturnAction::Nothing;
            if (modified)
                return ReturnAction::AskToDrop;
            return now.Size > kReloadWithoutAskingLimit ? ReturnAction::AskToReload : ReturnAction::Reload;
        default:
            return ReturnAction::Nothing;  // a check that could not be made changes nothing
    }
}

LRESULT CheckFileOnReturn(HWND mainWindow)
{
    if (Checking || IsUntitled(DocumentState.FilePath) || !DocumentState.Base.Known)
        return 0;
    CheckWaiting = ShowsABoxOrDialog(mainWindow);
    if (CheckWaiting)
        return 0;
    if (!SameVersion(History.base, DocumentState.Base))
        History = {DocumentState.Base, {}, false, 0};
    // One check at a time: a return while one still runs is tried again.
    CheckWaiting = !StartFileCheck(mainWindow, DocumentState.FilePath, DocumentState.Base, History.asked, ActOnAnswer);
    return 0;
}

void RetryFileCheck(HWND mainWindow)
{
    if (CheckWaiting && !ShowsABoxOrDialog(mainWindow))
        CheckFileOnReturn(mainWindow);
}

LRESULT RestoreTextPlace(HWND mainWindow)
{
    if (!PlaceToRestore.pending)
        return 0;
    PlaceToRestore.pending = false;
    // Lines the new text does not have are its last.
    HWND edit = GetDlgItem(mainWindow, IDC_EDIT);
    const DWORD lastLine = static_cast<DWORD>(SendMessageW(edit, EM_GETLINECOUNT, 0, 0)) - 1;
    const DWORD caretLine = PlaceToRestore.caretLine < lastLine ? PlaceToRestore.caretLine : lastLine;
    const DWORD lineStart = static_cast<DWORD>(SendMessageW(edit, EM_LINEINDEX, caretLine, 0));
    const DWORD lineLength = static_cast<DWORD>(SendMessageW(edit, EM_LINELENGTH, lineStart, 0));
    const DWORD caret = lineStart + (PlaceToRestore.caretColumn < lineLength ? PlaceToRestore.caretColumn : lineLength);
    SendMessageW(edit, EM_SETSEL, caret, caret);
    const DWORD firstLine = PlaceToRestore.firstLine < lastLine ? PlaceToRestore.firstLine : lastLine;
    const LRESULT shown = SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
    SendMessageW(edit, EM_LINESCROLL, 0, static_cast<LPARAM>(firstLine) - shown);
    return 0;
}

bool FileIsStillTheBase()
{
    if (IsUntitled(DocumentState.FilePath) || !DocumentState.Base.Known)
        return false;
    FileVersion now = {};
    if (CheckFile(DocumentState.FilePath, DocumentState.Base, &now) != FileState::Same)
        return false;
    DocumentState.Base = now;
    return true;
}

bool ConfirmReplacingOutsideChanges()
{
    if (IsUntitled(DocumentState.FilePath) || !DocumentState.Base.Known)
        return true;
    FileVersion now = {};
    const FileState state = CheckFile(DocumentState.FilePath, DocumentState.Base, &now);
    if (state == FileState::Same)
        DocumentState.Base = now;
    if (state != FileState::Changed)
        return true;
    return Ask(L"'%s' was changed by another program since it was opened or last saved.\n\nReplace it with this "
               L"text? No saves nothing, and Save As can keep both.",
               MB_DEFBUTTON2) == IDYES;
}
