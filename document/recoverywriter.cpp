#include "document/recoverywriter.h"

#include <cstring>
#include <new>

#include "document/documentstate.h"
#include "document/recoverystore.h"
#include "document/titlestatus.h"
#include "platform/framemessages.h"
#include "platform/guard.h"
#include "platform/textbuffer.h"
#include "res/resource.h"

namespace {

// One copy at a time. The worker makes room for the text first: a fresh
// block of a large document costs far more in page faults than in copying,
// and those would hold up typing. The user-interface thread then copies the
// text in and lets the worker write it, or drops the job.
struct CopyJob {
    HWND mainWindow;
    LPARAM sequence;
    wchar_t folder[kPathCapacity];
    RecoveryHeader header;
    size_t capacity;  // code units of room, with some to spare for typing meanwhile
    wchar_t* text;
    HANDLE filled;  // set once the text is in, or the job is dropped
    bool dropped;
};

struct RecoveryState {
    bool changesWaiting;       // changes that no copy holds yet
    DWORD firstWaitingChange;  // GetTickCount of the first of them
    HANDLE worker;
    CopyJob* awaitingText;  // the worker's job while it waits for the text
    LPARAM sequence;        // of the job in hand; its answers are dropped once it no longer matches
    bool copyWritten;       // a copy of this process's may be in the store
    bool failureShown;      // the status note about a failed copy is up
    bool keptForNextStart;
};
RecoveryState Recovery = {};

void ShowCopyFailed(HWND mainWindow)
{
    if (Recovery.failureShown)
        return;
    Recovery.failureShown = true;
    ShowStatusNote(mainWindow, L"The recovery copy of the unsaved text could not be written.");
}

void Schedule(HWND mainWindow, DWORD delay)
{
    SetTimer(mainWindow, kRecoveryTimer, delay, nullptr);
}

size_t EditTextLength(HWND mainWindow)
{
    return static_cast<size_t>(GetWindowTextLengthW(GetDlgItem(mainWindow, IDC_EDIT)));
}

// Copies the control's text and what the document is into the job's room;
// false when the text no longer fits it or cannot be read.
bool FillJob(CopyJob* job, HWND mainWindow)
{
    const size_t length = EditTextLength(mainWindow);
    LockedText current(TextBufferOf(GetDlgItem(mainWindow, IDC_EDIT)));
    if (length >= job->capacity || !current.get())
        return false;
    memcpy(job->text, current.get(), length * sizeof(wchar_t));
    RecoveryHeader& header = job->header;
    header.Writer = CurrentProcessIdentity();
    GetSystemTimeAsFileTime(&header.Written);
    header.Format = DocumentState.Format;
    CopyPath(DocumentState.FilePath, header.FilePath);
    header.Base = DocumentState.Base;
    header.TextLength = length;
    return true;
}

CopyJob* NewJob(HWND mainWindow)
{
    CopyJob* job = new (std::nothrow) CopyJob();
    if (!job || !RecoveryFolder(job->folder, StoreUse::Write)) {
        delete job;
        return nullptr;
    }
    job->mainWindow = mainWindow;
    job->sequence = ++Recovery.sequence;
    const size_t length = EditTextLength(mainWindow);
    job->capacity = length + length / 1024 + 4096;
    return job;
}

void FreeJob(CopyJob* job)
{
    if (job->filled)
        CloseHandle(job->filled);
    delete[] job->text;
    delete job;
}

bool MakeRoom(CopyJob* job)
{
    const size_t kUnitsAPage = 2048;
    job->text = new (std::nothrow) wchar_t[job->capacity];
    if (!job->text)
        return false;
    for (size_t unit = 0; unit < job->capacity; unit += kUnitsAPage)
        job->text[unit] = 0;
    return true;
}

DWORD WINAPI WriteCopyInBackground(void* parameter)
{
    CopyJob* job = static_cast<CopyJob*>(parameter);
    const bool written = RunGuarded<bool>(false, [&] {
        PostMessageW(job->mainWindow, WM_SCRIVLET_COPYROOM, MakeRoom(job), job->sequence);
        WaitForSingleObject(job->filled, INFINITE);
        return !job->dropped && WriteRecoveryCopy(job->folder, job->header, job->text);
    });
    if (!job->dropped)
        PostMessageW(job->mainWindow, WM_SCRIVLET_COPYWRITTEN, written, job->sequence);
    FreeJob(job);
    return written;
}

// Lets the worker go without writing; it frees the job.
void DropAwaitingJob()
{
    if (!Recovery.awaitingText)
        return;
    Recovery.awaitingText->dropped = true;
    SetEvent(Recovery.awaitingText->filled);
    Recovery.awaitingText = nullptr;
}

// Ends the job in hand, whose posted answers are then dropped.
void WaitForWorker()
{
    if (!Recovery.worker)
        return;
    DropAwaitingJob();
    WaitForSingleObject(Recovery.worker, INFINITE);
    DWORD written = 0;
    GetExitCodeThread(Recovery.worker, &written);
    CloseHandle(Recovery.worker);
    Recovery.worker = nullptr;
    ++Recovery.sequence;
    // An earlier copy may be there even when this one was not written.
    Recovery.copyWritten = true;
    if (!written)
        Recovery.changesWaiting = true;
}

}  // namespace

DWORD RecoveryDelay(DWORD now, DWORD firstUnsavedChange)
{
    const DWORD waited = now - firstUnsavedChange;
    if (waited >= kRecoveryLongest)
        return 0;
    const DWORD left = kRecoveryLongest - waited;
    return left < kRecoveryPause ? left : kRecoveryPause;
}

void DocumentChanged(HWND mainWindow)
{
    RefreshTitleAndStatus(mainWindow);
    if (!DocumentState.IsModified) {
        DiscardRecoveryCopy(mainWindow);
        return;
    }
    const DWORD now = GetTickCount();
    if (!Recovery.changesWaiting) {
        Recovery.changesWaiting = true;
        Recovery.firstWaitingChange = now;
    }
    Schedule(mainWindow, RecoveryDelay(now, Recovery.firstWaitingChange));
}

LRESULT StartRecoveryCopy(HWND mainWindow)
{
    KillTimer(mainWindow, kRecoveryTimer);
    // A copy in hand is followed by the next one when it is done.
    if (!Recovery.changesWaiting || Recovery.worker)
        return 0;
    if (!DocumentState.IsModified) {
        Recovery.changesWaiting = false;
        return 0;
    }
    CopyJob* job = NewJob(mainWindow);
    if (job)
        job->filled = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD threadId;
    if (job && job->filled)
        Recovery.worker = CreateThread(nullptr, 0, WriteCopyInBackground, job, 0, &threadId);
    if (!Recovery.worker) {
        // Tried again with the next change, or a while later.
        if (job)
            FreeJob(job);
        ShowCopyFailed(mainWindow);
        Schedule(mainWindow, kRecoveryLongest);
        return 0;
    }
    Recovery.awaitingText = job;
    return 0;
}

LRESULT FillRecoveryCopy(HWND mainWindow, WPARAM roomMade, LPARAM sequence)
{
    CopyJob* job = Recovery.awaitingText;
    if (!job || sequence != Recovery.sequence)
        return 0;
    if (roomMade && DocumentState.IsModified && FillJob(job, mainWindow)) {
        // The changes up to now are in this copy.
        Recovery.changesWaiting = false;
        Recovery.awaitingText = nullptr;
        SetEvent(job->filled);
        return 0;
    }
    const bool modified = DocumentState.IsModified != 0;
    const bool outgrown = roomMade && modified && EditTextLength(mainWindow) >= job->capacity;
    WaitForWorker();
    if (!modified) {
        Recovery.changesWaiting = false;
    } else if (outgrown) {
        // Typed or pasted past the room meanwhile: the next job measures again.
        Schedule(mainWindow, 0);
    } else {
        // No room, or no text to copy: tried again a while later.
        ShowCopyFailed(mainWindow);
        Schedule(mainWindow, kRecoveryLongest);
    }
    return 0;
}

LRESULT FinishRecoveryCopy(HWND mainWindow, WPARAM written, LPARAM sequence)
{
    if (!Recovery.worker || sequence != Recovery.sequence)
        return 0;
    WaitForSingleObject(Recovery.worker, INFINITE);
    CloseHandle(Recovery.worker);
    Recovery.worker = nullptr;
    if (written) {
        Recovery.copyWritten = true;
        Recovery.failureShown = false;
    } else {
        ShowCopyFailed(mainWindow);
        if (!Recovery.changesWaiting) {
            Recovery.changesWaiting = true;
            Recovery.firstWaitingChange = GetTickCount();
        }
        Schedule(mainWindow, kRecoveryLongest);
        return 0;
    }
    if (Recovery.changesWaiting)
        Schedule(mainWindow, RecoveryDelay(GetTickCount(), Recovery.firstWaitingChange));
    return 0;
}

bool WriteRecoveryCopyNow(HWND mainWindow)
{
    KillTimer(mainWindow, kRecoveryTimer);
    WaitForWorker();
    if (!DocumentState.IsModified || !Recovery.changesWaiting)
        return true;
    // The session is ending: the copy is made here, room and all.
    CopyJob* job = NewJob(mainWindow);
    const bool written =
        job && MakeRoom(job) && FillJob(job, mainWindow) && WriteRecoveryCopy(job->folder, job->header, job->text);
    if (job)
        FreeJob(job);
    if (written) {
        Recovery.changesWaiting = false;
        Recovery.copyWritten = true;
    }
    return written;
}

void DiscardRecoveryCopy(HWND mainWindow)
{
    KillTimer(mainWindow, kRecoveryTimer);
    WaitForWorker();
    Recovery.changesWaiting = false;
    wchar_t folder[kPathCapacity];
    if (Recovery.copyWritten && RecoveryFolder(folder) && RemoveRecoveryCopy(folder, CurrentProcessIdentity()))
        Recovery.copyWritten = false;
}

void AdoptRecoveryCopy(HWND mainWindow)
{
    Recovery.copyWritten = true;
    Recovery.changesWaiting = true;
    Recovery.firstWaitingChange = GetTickCount();
    Schedule(mainWindow, 0);
}

void KeepRecoveryCopyForNextStart()
{
    Recovery.keptForNextStart = true;
}

void EndRecoveryCopies(HWND mainWindow)
{
    if (Recovery.keptForNextStart) {
        KillTimer(mainWindow, kRecoveryTimer);
        WaitForWorker();
    } else {
        DiscardRecoveryCopy(mainWindow);
    }
}
