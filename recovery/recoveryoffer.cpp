#include "recovery/recoveryoffer.h"

#include <cwchar>

#include "document/documentchange.h"
#include "document/documentstate.h"
#include "document/titlestatus.h"
#include "platform/lockedretry.h"
#include "platform/messages.h"
#include "platform/ownprogram.h"
#include "platform/textbuffer.h"
#include "recovery/recoverylock.h"
#include "recovery/recoverystore.h"
#include "recovery/recoverywriter.h"

const wchar_t kRestoreCopySwitch[] = L"/restore-copy";

namespace {

const int kMessageCapacity = 1024;

void FormatLocalTime(const FILETIME& utc, wchar_t* text, int capacity)
{
    FILETIME local;
    SYSTEMTIME time;
    text[0] = L'\0';
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &time))
        return;
    const int dateLength = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, text, capacity);
    if (dateLength <= 0 || dateLength >= capacity - 1)
        return;
    text[dateLength - 1] = L' ';
    if (!GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, text + dateLength, capacity - dateLength))
        text[dateLength - 1] = L'\0';
}

bool IsWholePath(const wchar_t* path)
{
    const bool drive = ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
                       path[1] == L':' && path[2] == L'\\';
    const bool share = path[0] == L'\\' && path[1] == L'\\' && path[2] != L'\0' && path[2] != L'\\';
    return drive || share;
}

// Puts the copy's text, path and format into this window, marked modified,
// and makes the claim this process's own copy. The header is the one to
// restore (see RestorableAsWritten).
bool RestoreHere(HWND mainWindow, const wchar_t* folder, const std::wstring& claim, const RecoveryHeader& header)
{
    HLOCAL text = ReadRecoveryText(StorePath(folder, claim).c_str(), header);
    if (!text || !AdoptClaim(folder, claim)) {
        if (text)
            LocalFree(text);
        return false;
    }
    HandTextToEdit(mainWindow, text);
    CopyPath(header.FilePath, DocumentState.FilePath);
    DocumentState.Format = header.Format;
    DocumentState.Base = header.Base;
    DocumentState.IsModified = 1;
    DocumentChanged(mainWindow);
    AdoptRecoveryCopy(mainWindow);
    return true;
}

bool RestoreInNewProcess(HWND mainWindow, const std::wstring& claim)
{
    const std::wstring parameters = std::wstring(kRestoreCopySwitch) + L" " + claim;
    if (!StartOwnProgram(mainWindow, parameters.c_str()))
        return false;
    // The claim carries this process's name until the new one takes it over.
    KeepRecoveryLockForLife();
    return true;
}

FileState FileSinceCopy(const RecoveryHeader& header)
{
    if (IsUntitled(header.FilePath) || !header.Base.Known)
        return FileState::Same;
    return CheckFile(header.FilePath, header.Base, nullptr);
}

// The header to restore from the copy at path: as written, or untitled when
// it may not be taken as it is.
CopyCondition ReadHeaderToRestore(const std::wstring& path, RecoveryHeader* header, bool* madeUntitled)
{
    const CopyCondition condition = ReadRecoveryHeader(path.c_str(), header);
    *madeUntitled = condition != CopyCondition::Unusable && !RestorableAsWritten(*header);
    if (*madeUntitled)
        MakeUntitled(header);
    return condition;
}

}  // namespace

bool RestorableAsWritten(const RecoveryHeader& header)
{
    return (IsUntitled(header.FilePath) || IsWholePath(header.FilePath)) && IsNullStandIn(header.Format.NullStandIn);
}

void MakeUntitled(RecoveryHeader* header)
{
    wcscpy(header->FilePath, kUntitled);
    header->Format = PlainTextFormat();
    header->Base = FileVersion();
}

void FormatRecoveryQuestion(const RecoveryHeader& header, CopyCondition condition, FileState fileNow, bool madeUntitled,
                            wchar_t* text)
{
    wchar_t when[128];
    FormatLocalTime(header.Written, when, 128);
    wchar_t whose[kPathCapacity + 16];
    if (IsUntitled(header.FilePath))
        wcscpy(whose, L"an untitled document");
    else
        wsprintfW(whose, L"'%s'", header.FilePath);
    const wchar_t* sinceThen = fileNow == FileState::Changed ? L"\n\nThe file has been changed since then."
                               : fileNow == FileState::Gone  ? L"\n\nThe file is no longer there."
                                                             : L"";
    const wchar_t* cut = condition == CopyCondition::CutShort ? L"\n\nOnly the first part of the text was kept." : L"";
    const wchar_t* untitled =
        madeUntitled ? L"\n\nThe name and format kept with it could not be used: it comes back untitled." : L"";
    wsprintfW(text,
              L"Scrivlet ended without saving the changes to %s, last kept at %s.%s%s%s\n\nYes restores them in a "
              L"window, still unsaved. No discards them for good. Cancel keeps them for the next start.",
              whose, when, sinceThen, cut, untitled);
}

LRESULT OfferRecoveryCopies(HWND mainWindow, bool takeFirstHere)
{
    wchar_t folder[kPathCapacity];
    // Claims are judged by the claimer's lock: without one they would count
    // as abandoned at once.
    if (!RecoveryFolder(folder) || !TakeRecoveryLock(folder))
        return 0;
    bool hereTaken = !takeFirstHere;
    bool handedOut = false;
    const uint64_t untouched = DocumentChangeCount();
    for (const std::wstring& claim : ClaimAbandonedCopies(folder, CurrentProcessIdentity())) {
        RecoveryHeader header;
        bool madeUntitled;
        const CopyCondition condition = ReadHeaderToRestore(StorePath(folder, claim), &header, &madeUntitled);
        if (condition == CopyCondition::Unusable) {
            // Never deleted unasked: left where it was.
            ReleaseClaim(folder, claim);
            continue;
        }
        wchar_t question[kMessageCapacity];
        FormatRecoveryQuestion(header, condition, FileSinceCopy(header), madeUntitled, question);
        const int answer = AskUser(question, MB_YESNOCANCEL | MB_DEFBUTTON1);
        // Text typed in this window meanwhile is never replaced.
        hereTaken = hereTaken || DocumentChangeCount() != untouched;
        if (answer == IDNO) {
            if (!DiscardClaim(folder, claim))
                ShowStatusNote(mainWindow, L"The unsaved text could not be discarded; it is offered again next time.");
        } else if (answer != IDYES) {
            ReleaseClaim(folder, claim);
        } else if (!hereTaken) {
            hereTaken = RestoreHere(mainWindow, folder, claim, header);
            if (!hereTaken) {
                ReleaseClaim(folder, claim);
                ShowErrorMessage(L"Failed to restore the unsaved text!");
            }
        } else if (RestoreInNewProcess(mainWindow, claim)) {
            handedOut = true;
        } else {
            ReleaseClaim(folder, claim);
            ShowErrorMessage(L"Failed to start a new Scrivlet process!");
        }
    }
    if (!handedOut && !DocumentState.IsModified)
        ReleaseRecoveryLock();
    return 0;
}

void RestoreHandedCopy(HWND mainWindow, const wchar_t* claim)
{
    wchar_t folder[kPathCapacity];
    std::wstring taken;
    RecoveryHeader header;
    bool madeUntitled;
    if (RecoveryFolder(folder) && TakeRecoveryLock(folder) &&
        TakeOverClaim(folder, claim, CurrentProcessIdentity(), &taken)) {
        if (ReadHeaderToRestore(StorePath(folder, taken), &header, &madeUntitled) != CopyCondition::Unusable &&
            RestoreHere(mainWindow, folder, taken, header))
            return;
        ReleaseClaim(folder, taken);
    }
    ShowErrorMessage(L"Failed to restore the unsaved text!");
}
