#include "document/filecommands.h"

#include <commdlg.h>

#include <cwchar>

#include "document/ansitext.h"
#include "document/documentchange.h"
#include "document/documentstate.h"
#include "document/outsidechange.h"
#include "document/textfile.h"
#include "document/titlestatus.h"
#include "platform/messages.h"
#include "platform/systemlibrary.h"
#include "prefs/recentfiles.h"
#include "res/resource.h"

namespace {

const int kMessageCapacity = 1024;
const wchar_t kSaveAnywayChoices[] =
    L"\n\nYes saves it anyway. No opens Save As, to choose another name or encoding and leave the file as it is. "
    L"Cancel does not save it.";
// The Save As dialog's file types, by their filter index.
enum SaveAsType { kTextFilesType = 1, kUnicodeFilesType = 2, kUtf8FilesType = 3, kAllFilesType = 4 };

int ShowPrompt(const wchar_t* text)
{
    return AskUser(text, MB_YESNOCANCEL);
}

// Asks what text says, offering to save anyway or to choose Save As; text
// holds kMessageCapacity characters.
int AskSaveAnyway(wchar_t* text)
{
    wcscpy(text + wcslen(text), kSaveAnywayChoices);
    return ShowPrompt(text);
}

int Prompt(const wchar_t* format, const wchar_t* path)
{
    wchar_t text[kMessageCapacity];
    // wsprintfW stops at 1024 characters, which a 260-character path never reaches.
    wsprintfW(text, format, path);
    return ShowPrompt(text);
}

// The type the Save As dialog opens on: the document's own encoding, or
// "All Files", which keeps it, for one that has no type of its own.
DWORD SaveAsTypeOf(const TextFormat& format)
{
    if (format.Encoding == kAnsiText)
        return kTextFilesType;
    if (format.Encoding == kUtf16LeText && format.HasMark)
        return kUnicodeFilesType;
    return format.Encoding == kUtf8Text ? kUtf8FilesType : kAllFilesType;
}

// What a Save As of that type writes; the line ends and the stand-in for
// zero characters stay the document's.
TextFormat FormatOfSaveAsType(DWORD type, const TextFormat& current)
{
    TextFormat format = current;
    if (type == kTextFilesType) {
        format.Encoding = kAnsiText;
        format.HasMark = 0;
    } else if (type == kUnicodeFilesType) {
        format.Encoding = kUtf16LeText;
        format.HasMark = 1;
    } else if (type == kUtf8FilesType) {
        // A UTF-8 document keeps its own choice; others get the mark, which
        // tells every reader that the file is UTF-8.
        format.HasMark = current.Encoding == kUtf8Text ? current.HasMark : 1;
        format.Encoding = kUtf8Text;
    }
    return format;
}

const wchar_t* EncodingName(TextEncoding encoding)
{
    if (encoding == kUtf16BeText)
        return L"UTF-16BE";
    return encoding == kAnsiText ? AnsiEncodingName(GetACP()) : encoding == kUtf8Text ? L"UTF-8" : L"UNICODE";
}

// The status note after a save that kept another form than the file's own,
// so that it opens as the same text.
void NoteKeptForm(HWND mainWindow, const TextFormat& target, const SaveConsent& consent)
{
    if (consent.kept == KeptForm::None)
        return;
    wchar_t text[kMessageCapacity];
    if (consent.kept == KeptForm::CrLfLineEnds)
        wsprintfW(text, L"Saved with CR LF line ends: with %s alone the file would open as %s text.",
                  target.LineEnds == kCrLineEnds ? L"CR" : L"LF", EncodingName(consent.readsAs));
    else
        wsprintfW(text, L"Saved with a byte-order mark: without it the file would open as %s text.",
                  EncodingName(consent.readsAs));
    ShowStatusNote(mainWindow, text);
}

// Writes path in target, asking first about each doubt the save has:
// bytes of the file that were no text (No writes nothing); characters the
// target cannot hold (Yes writes UTF-8 with its mark instead, or UTF-16LE
// with its mark when UTF-8 cannot hold them either, No writes target
// anyway); characters that go back under another code, and bytes that
// would open as other text (No chooses Save As). Cancel writes nothing.
SaveResult WriteDocumentFile(HWND mainWindow, const wchar_t* path, int* isModified, const TextFormat& target,
                             TextFormat* format, StoreFailure* failure, FileVersion* version)
{
    TextFormat wanted = target;
    SaveConsent consent = {};
    for (;;) {
        SaveResult written =
            Scrivlet_WriteFile(mainWindow, path, isModified, wanted, format, &consent, failure, version);
        if (written == SaveResult::Saved)
            NoteKeptForm(mainWindow, wanted, consent);
        if (written != SaveResult::NeedsConsent)
            return written;
        int answer = IDYES;
        if (consent.doubt == kReplacedBytesDoubt) {
            answer = ConfirmReplacedBytesSave(path) == IDYES ? IDYES : IDCANCEL;
        } else if (consent.doubt == kLostCharactersDoubt) {
            TextFormat instead = wanted;
            instead.Encoding = kUtf8Text;
            instead.HasMark = 1;
            instead.HasOddByte = 0;
            if (wanted.Encoding == kUtf8Text || !TextFitsFormat(mainWindow, instead))
                instead.Encoding = kUtf16LeText;
            answer = ConfirmLossySave(path, EncodingName(wanted.Encoding), EncodingName(instead.Encoding));
            if (answer == IDYES) {
                wanted = instead;
                continue;
            }
            answer = answer == IDNO ? IDYES : IDCANCEL;
        } else if (consent.doubt == kRecodedDoubt) {
            answer = ConfirmRecodedSave(path, wanted.RecodedCharacters);
        } else {
            answer = ConfirmOtherTextSave(path, EncodingName(wanted.Encoding), EncodingName(consent.readsAs));
        }
        if (answer == IDCANCEL)
            return SaveResult::Cancelled;
        if (answer == IDNO)
            return SaveResult::SaveAsChosen;
        consent.accepted |= consent.doubt;
    }
}

// The box after a failed save; it names a copy of the old text that the
// save left or found beside the file, so the user knows where to look.
void ReportFailedSave(const StoreFailure& failure)
{
    wchar_t text[kCopyNameCapacity + kMessageCapacity] = L"Failed to save file!";
    if (failure.left != LeftCopy::None) {
        const bool keptNow = failure.left == LeftCopy::OldContents;
        wcscpy(text + wcslen(text),
               keptNow ? L" The old text is kept in " : L" An earlier save was interrupted and left ");
        wcscpy(text + wcslen(text), failure.copy);
        wcscpy(text + wcslen(text),
               keptNow ? L"." : L", which may hold the file's old text. Move or delete it, then save again.");
    }
    ShowErrorMessage(text);
}

void BecomeUntitled()
{
    wcscpy(DocumentState.FilePath, kUntitled);
    DocumentState.Base = {};
}

void FillFileDialog(OPENFILENAMEW* dialog, HWND mainWindow, wchar_t* file, const wchar_t* filter, const wchar_t* title)
{
    static_assert(sizeof(void*) != 4 || sizeof(OPENFILENAMEW) == 88, "OPENFILENAMEW must be the 32-bit record");
    ZeroMemory(dialog, sizeof(*dialog));
    dialog->lStructSize = sizeof(*dialog);
    dialog->hwndOwner = mainWindow;
    dialog->hInstance = GetModuleHandleW(nullptr);
    dialog->lpstrFilter = filter;
    dialog->lpstrFile = file;
    dialog->nMaxFile = MAX_PATH;
    dialog->lpstrTitle = title;
}

// Loads path as the document; on failure shows message and becomes
// untitled, unless the load left the document as it was.
void LoadAsDocument(HWND mainWindow, const wchar_t* path, const wchar_t* failure)
{
    if (Scrivlet_ReadFile(mainWindow, path, &DocumentState.IsModified, &DocumentState.Format, &DocumentState.Base)) {
        CopyPath(path, DocumentState.FilePath);
    } else {
        const bool untouched = LoadLeftTheDocument();
        ShowLoadFailure(failure);
        if (!untouched)
            BecomeUntitled();
    }
    DocumentChanged(mainWindow);
}

}  // namespace

bool SavePromptStep(HWND mainWindow)
{
    if (!DocumentState.IsModified)
        return true;
    int answer = ConfirmSaveChanges(DocumentState.FilePath);
    if (answer == IDCANCEL)
        return false;
    // The user chose to keep the changes: when they were not saved after all
    // (Save As cancelled or declined, or the write failed), the command must
    // not go on and throw them away.
    return answer != IDYES || SaveDocument(mainWindow) == SaveResult::Saved;
}

int ConfirmSaveChanges(const wchar_t* path)
{
    return Prompt(L"The contents of '%s' have changed. Do you want to save?", path);
}

int ConfirmOverwrite(const wchar_t* path)
{
    return Prompt(L"The file '%s' already exists. Overwrite it?", path);
}

int ConfirmLossySave(const wchar_t* path, const wchar_t* lossyName, const wchar_t* losslessName)
{
    wchar_t text[kMessageCapacity];
    wsprintfW(text,
              L"Some characters of '%s' cannot be saved as %s.\n\nYes saves it as %s instead, keeping every "
              L"character. No saves it as %s anyway, which loses those characters. Cancel does not save it.",
              path, lossyName, losslessName, lossyName);
    return ShowPrompt(text);
}

int ConfirmReplacedBytesSave(const wchar_t* path)
{
    wchar_t text[kMessageCapacity];
    wsprintfW(text,
              L"Some bytes of '%s' are not %s text. They show as stand-in characters, and saving writes those "
              L"characters in their place, so the bytes themselves are lost.\n\nDo you want to save it anyway?",
              path, AnsiEncodingName(GetACP()));
    return AskUser(text, MB_YESNO);
}

int ConfirmRecodedSave(const wchar_t* path, size_t count)
{
    wchar_t text[kMessageCapacity];
    const unsigned shown = count > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<unsigned>(count);
    wsprintfW(text,
              shown == 1 ? L"%u character of '%s' has a second code in the %s code page, and saving writes it under "
                           L"the other one: the text stays the same, but its bytes change."
                         : L"%u characters of '%s' have a second code in the %s code page, and saving writes them "
                           L"under the other one: the text stays the same, but their bytes change.",
              shown, path, AnsiEncodingName(GetACP()));
    return AskSaveAnyway(text);
}

int ConfirmOtherTextSave(const wchar_t* path, const wchar_t* encodingName, const wchar_t* readsAsName)
{
    wchar_t text[kMessageCapacity];
    // Read in its own encoding, the file differs in its line ends: the lone
    // ones that an open would take for a style of its own.
    if (wcscmp(encodingName, readsAsName) == 0)
        wsprintfW(text, L"Saved as %s, '%s' would open as other text: its line ends would read otherwise.",
                  encodingName, path);
    else
        wsprintfW(text, L"Saved as %s, '%s' would open as other text: its bytes would read as %s.", encodingName, path,
                  readsAsName);
    return AskSaveAnyway(text);
}

int RunOpenDialog(HWND mainWindow, int* isModified, wchar_t* filePath, TextFormat* format, FileVersion* version)
{
    if (!mainWindow || !isModified || !filePath || !format)
        return 0;
    // Without the dialogs' library nothing has changed yet: the command
    // reports its failure and the document stays as it was.
    if (!BindSystemLibrary(SystemLibrary::CommonDialogs))
        return 0;
    wchar_t file[kPathCapacity] = {};
    OPENFILENAMEW dialog;
    FillFileDialog(&dialog, mainWindow, file, L"Text Files\0*.txt\0All Files\0*.*\0", L"Scrivlet 2.0 - Open");
    dialog.Flags = OFN_HIDEREADONLY;
    if (!system_call::GetOpenFileNameW(&dialog))
        return 1;
    wchar_t previousPath[kPathCapacity];
    CopyPath(filePath, previousPath);
    CopyPath(file, filePath);
    if (Scrivlet_ReadFile(mainWindow, filePath, isModified, format, version))
        return 1;
    if (LoadLeftTheDocument()) {
        CopyPath(previousPath, filePath);
        return 0;
    }
    wcscpy(filePath, kUntitled);
    if (version)
        *version = {};
    DocumentChanged(mainWindow);
    return 0;
}

SaveResult RunSaveAsDialog(HWND mainWindow, int* isModified, wchar_t* filePath, TextFormat* format,
                           StoreFailure* failure, FileVersion* version)
{
    if (!mainWindow || !isModified || !filePath || !format)
        return SaveResult::Failed;
    if (!BindSystemLibrary(SystemLibrary::CommonDialogs))
        return SaveResult::Failed;
    SaveResult written;
    wchar_t file[kPathCapacity];
    do {
        // A question of the save may send the user back here for another
        // name or encoding.
        file[0] = L'\0';
        OPENFILENAMEW dialog;
        FillFileDialog(&dialog, mainWindow, file,
                       L"Text Files\0*.txt\0UNICODE text files\0*.txt\0UTF-8 text files\0*.txt\0All Files\0*.*\0",
                       L"Scrivlet 2.0 - Save As");
        dialog.nFilterIndex = SaveAsTypeOf(*format);
        if (!system_call::GetSaveFileNameW(&dialog))
            return SaveResult::Cancelled;
        if (GetFileAttributesW(file) != INVALID_FILE_ATTRIBUTES && ConfirmOverwrite(file) != IDYES)
            return SaveResult::Declined;
        written = WriteDocumentFile(mainWindow, file, isModified, FormatOfSaveAsType(dialog.nFilterIndex, *format),
                                    format, failure, version);
    } while (written == SaveResult::SaveAsChosen);
    if (written != SaveResult::Saved)
        return written;
    CopyPath(file, filePath);
    DocumentChanged(mainWindow);
    return SaveResult::Saved;
}

LRESULT NewDocument(HWND mainWindow)
{
    if (!SavePromptStep(mainWindow))
        return 0;
    BecomeUntitled();
    SetWindowTextW(GetDlgItem(mainWindow, IDC_EDIT), L"");
    DocumentState.IsModified = 0;
    DocumentState.Format = PlainTextFormat();
    DocumentChanged(mainWindow);
    return 0;
}

LRESULT OpenDocument(HWND mainWindow)
{
    if (!SavePromptStep(mainWindow))
        return 0;
    if (RunOpenDialog(mainWindow, &DocumentState.IsModified, DocumentState.FilePath, &DocumentState.Format,
                      &DocumentState.Base) == 0)
        ShowLoadFailure(L"Could not open that file!");
    return 0;
}

SaveResult SaveDocument(HWND mainWindow)
{
    SaveResult saved;
    StoreFailure failure = {};
    if (IsUntitled(DocumentState.FilePath)) {
        saved = RunSaveAsDialog(mainWindow, &DocumentState.IsModified, DocumentState.FilePath, &DocumentState.Format,
                                &failure, &DocumentState.Base);
    } else if (!DocumentState.IsModified && FileIsStillTheBase()) {
        // Nothing to write: the file holds the very bytes the text was read
        // from or saved as, and writing the text again could change some
        // (line ends of another style, characters with two codes).
        return SaveResult::Saved;
    } else if (!ConfirmReplacingOutsideChanges()) {
        // The other program's text stays; the user may still Save As.
        return SaveResult::Cancelled;
    } else {
        saved = WriteDocumentFile(mainWindow, DocumentState.FilePath, &DocumentState.IsModified, DocumentState.Format,
                                  &DocumentState.Format, &failure, &DocumentState.Base);
        if (saved == SaveResult::SaveAsChosen)
            saved = RunSaveAsDialog(mainWindow, &DocumentState.IsModified, DocumentState.FilePath,
                                    &DocumentState.Format, &failure, &DocumentState.Base);
    }
    if (saved == SaveResult::Cancelled)
        return saved;
    if (saved == SaveResult::Failed)
        ReportFailedSave(failure);
    DocumentChanged(mainWindow);
    return saved;
}

LRESULT SaveDocumentAs(HWND mainWindow)
{
    StoreFailure failure = {};
    if (RunSaveAsDialog(mainWindow, &DocumentState.IsModified, DocumentState.FilePath, &DocumentState.Format, &failure,
                        &DocumentState.Base) == SaveResult::Failed)
        ReportFailedSave(failure);
    if (!AddRecentFile(mainWindow, DocumentState.FilePath))
        ShowErrorMessage(L"Failed to add to MRU!");
    return 0;
}

LRESULT OpenDroppedFile(HWND mainWindow, HDROP drop)
{
    if (!SavePromptStep(mainWindow)) {
        DragFinish(drop);
        return 0;
    }
    if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 1) {
        DragFinish(drop);
        ShowErrorMessage(L"You can only drop one file at a time into Scrivlet.");
        return 0;
    }
    wchar_t path[kPathCapacity] = {};
    DragQueryFileW(drop, 0, path, kPathCapacity);
    LoadAsDocument(mainWindow, path, L"Failed to open that file!");
    DragFinish(drop);
    return 0;
}

LRESULT OpenRecentFile(HWND mainWindow, UINT id)
{
    int wanted = (id >= IDM_RECENT1 && id <= IDM_RECENT4) ? static_cast<int>(id - IDM_RECENT1) : 0;
    wchar_t path[kPathCapacity], name[kPathCapacity];
    if (!ShownRecentEntry(wanted, path, name))
        return 0;  // no entry under that number
    if (!SavePromptStep(mainWindow))
        return 0;
    LoadAsDocument(mainWindow, path, L"Failed to open file!");
    return 0;
}
