#include "document/recoveryoffer.h"

#include <shellapi.h>

#include <cwchar>

#include "document/documentstate.h"
#include "document/recoverystore.h"
#include "document/recoverywriter.h"
#include "document/titlestatus.h"
#include "platform/messages.h"
#include "platform/textbuffer.h"

const wchar_t kRestoreCopySwitch[] = L"/restore-copy";

namespace {

const int kMessageCapacity = 1024;
const wchar_t kPromptCaption[] = L"Scrivlet 2.0";

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

// Puts the copy's text, path and format into this window, marked modified,
// and makes the claim this process's own copy.
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
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    const std::wstring parameters = std::wstring(kRestoreCopySwitch) + L" " + claim;
    HINSTANCE started = ShellExecuteW(mainWindow, L"open", program, parameters.c_str(), nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(started) > 32;
}

FileState FileSinceCopy(const RecoveryHeader& header)
{
    if (IsUntitled(header.FilePath) || !header.Base.Known)
        return FileState::Same;
    return CheckFile(header.FilePath, header.Base, nullptr);
}

}  // namespace

void FormatRecoveryQuestion(const RecoveryHeader& header, CopyCondition condition, FileState fileNow, wchar_t* text)
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
    wsprintfW(text,
              L"Scrivlet ended without saving the changes to %s, last kept at %s.%s%s\n\nYes restores them in a "
              L"window, still unsaved. No discards them for good. Cancel keeps them for the next start.",
              whose, when, sinceThen, cut);
}

LRESULT OfferRecoveryCopies(HWND mainWindow, bool takeFirstHere)
{
    wchar_t folder[kPathCapacity];
    if (!RecoveryFolder(folder))
        return 0;
    bool hereTaken = !takeFirstHere;
    for (const std::wstring& claim : ClaimAbandonedCopies(folder, CurrentProcessIdentity())) {
        RecoveryHeader header;
        const CopyCondition condition = ReadRecoveryHeader(StorePath(folder, claim).c_str(), &header);
        if (condition == CopyCondition::Unusable) {
            // Never deleted unasked: left where it was.
            ReleaseClaim(folder, claim);
            continue;
        }
        wchar_t question[kMessageCapacity];
        FormatRecoveryQuestion(header, condition, FileSinceCopy(header), question);
        const int answer = MessageBoxW(GetForegroundWindow(), question, kPromptCaption,
                                       MB_ICONWARNING | MB_YESNOCANCEL | MB_DEFBUTTON1);
        if (answer == IDNO) {
            DiscardClaim(folder, claim);
        } else if (answer != IDYES) {
            ReleaseClaim(folder, claim);
        } else if (!hereTaken) {
            hereTaken = RestoreHere(mainWindow, folder, claim, header);
            if (!hereTaken) {
                ReleaseClaim(folder, claim);
                ShowErrorMessage(L"Failed to restore the unsaved text!");
            }
        } else if (!RestoreInNewProcess(mainWindow, claim)) {
            ReleaseClaim(folder, claim);
            ShowErrorMessage(L"Failed to start a new Scrivlet process!");
        }
    }
    return 0;
}

void RestoreHandedCopy(HWND mainWindow, const wchar_t* claim)
{
    wchar_t folder[kPathCapacity];
    std::wstring taken;
    RecoveryHeader header;
    if (RecoveryFolder(folder) && TakeOverClaim(folder, claim, CurrentProcessIdentity(), &taken)) {
        if (ReadRecoveryHeader(StorePath(folder, taken).c_str(), &header) != CopyCondition::Unusable &&
            RestoreHere(mainWindow, folder, taken, header))
            return;
        ReleaseClaim(folder, taken);
    }
    ShowErrorMessage(L"Failed to restore the unsaved text!");
}
