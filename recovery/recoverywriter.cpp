#include "recovery/recoverywriter.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "document/documentchange.h"
#include "document/documentstate.h"
#include "document/titlestatus.h"
#include "platform/framemessages.h"
#include "platform/guard.h"
#include "platform/textbuffer.h"
#include "recovery/recoverylock.h"
#include "recovery/recoverystore.h"
#include "recovery/sessionend.h"
#include "res/resource.h"

const wchar_t kCopyFailedNote[] = L"Unsaved text not kept for recovery";

namespace {

// One copy at a time. The worker makes room for the text first: a fresh
// block of a large document costs far more in page faults than in copying,
// and those would hold up typing. The user-interface thread then copies the
// text in and lets the worker write it, or drops the job. The job belongs
// to this thread, which frees it once the worker has ended.
struct CopyJob {
    HWND mainWindow;
    LPARAM sequence;
    wchar_t folder[kPathCapacity];
    RecoveryHeader header;
    uint64_t changeCount;  // of the text copied in
    size_t capacity;       // code units of room, with some to spare for typing meanwhile
    wchar_t* text;
    HANDLE filled;  // set once the text is in, or the job is dropped
    bool dropped;
    bool written;
};

struct RecoveryState {
    bool copyCurrent;  // the copy in the store holds the text of copiedCount
    uint64_t copiedCount;
    bool copyOnDisk;  // a copy of this process's may be in the store
    bool waiting;     // changes no copy holds, since firstWaitingChange
    DWORD firstWaitingChange;
    HANDLE worker;
    CopyJob* job;           // the job in hand
    bool awaitingText;      // its worker waits for the text
    bool removeWhenLanded;  // the text left the window while the job was written
    LPARAM sequence;        // of the job in hand; its answers are dropped once it no longer matches
    bool keptForNextStart;
};
RecoveryState Recovery = {};

void Schedule(HWND mainWindow, DWORD delay)
{
    SetTimer(mainWindow, kRecoveryTimer, delay, nullptr);
}

void NoteChangesWaiting()
{
    if (!Recovery.waiting) {
        Recovery.waiting = true;
        Recovery.firstWaitingChange = GetTickCount();
    }
}

void CopyFailed(HWND mainWindow)
{
    ShowLastingStatusNote(mainWindow, kCopyFailedNote);
    NoteChangesWaiting();
    Schedule(mainWindow, kRecoveryLongest);
}

// Nothing of the text is at risk any more: it is in a copy, or saved.
void TextKept(HWND mainWindow)
{
    ShowLastingStatusNote(mainWindow, nullptr);
    LiftSessionEndBlock(mainWindow);
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
    // A block still on its way to the control counts only once it is there,
    // so this is the count of the text copied.
    job->changeCount = DocumentChangeCount();
    return true;
}

// A job for the text as long as it is now, in the store under this
// process's lock; null when there is no memory, store or lock.
CopyJob* NewJob(HWND mainWindow)
{
    CopyJob* job = new (std::nothrow) CopyJob();
    if (!job || !RecoveryFolder(job->folder, StoreUse::Write) || !TakeRecoveryLock(job->folder)) {
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
    job->written = RunGuarded<bool>(false, [&] {
        // A refused message would leave the job waiting for good: it ends
        // here, and the timer finds the worker gone.
        if (!PostMessageW(job->mainWindow, WM_SCRIVLET_COPYROOM, MakeRoom(job), job->sequence))
            return false;
        WaitForSingleObject(job->filled, INFINITE);
        return !job->dropped && WriteRecoveryCopy(job->folder, job->header, job->text);
    });
    if (!job->dropped)
        PostMessageW(job->mainWindow, WM_SCRIVLET_COPYWRITTEN, job->written, job->sequence);
    return 0;
}

void RemoveCopy()
{
    Recovery.copyCurrent = false;
    wchar_t folder[kPathCapacity];
    if (!Recovery.copyOnDisk || !RecoveryFolder(folder)) {
        Recovery.copyOnDisk = false;
    } else if (RemoveRecoveryCopy(folder, CurrentProcessIdentity())) {
        Recovery.copyOnDisk = false;
    }
    // Tried again at the next change, and at exit.
    if (!Recovery.copyOnDisk)
        ReleaseRecoveryLock();
}

// The worker has ended: takes in what its job did.
void LandJob(HWND mainWindow)
{
    CloseHandle(Recovery.worker);
    Recovery.worker = nullptr;
    CopyJob* job = Recovery.job;
    Recovery.job = nullptr;
    Recovery.awaitingText = false;
    ++Recovery.sequence;
    const bool written = job->written;
    const uint64_t count = job->changeCount;
    FreeJob(job);
    if (written)
        Recovery.copyOnDisk = true;
    if (Recovery.removeWhenLanded) {
        Recovery.removeWhenLanded = false;
        if (!DocumentState.IsModified) {
            RemoveCopy();
            return;
        }
    }
    if (!written) {
        if (DocumentState.IsModified)
            CopyFailed(mainWindow);
        return;
    }
    Recovery.copyCurrent = true;
    Recovery.copiedCount = count;
    TextKept(mainWindow);
    if (RecoveryCopyBehind())
        Schedule(mainWindow, RecoveryDelay(GetTickCount(), Recovery.firstWaitingChange));
}

// Lets the worker go without writing.
void DropAwaitingJob()
{
    if (!Recovery.awaitingText)
        return;
    Recovery.awaitingText = false;
    Recovery.job->dropped = true;
    SetEvent(Recovery.job->filled);
}

// Ends the job in hand within limit; false when its worker is still
// writing then.
bool WaitForWorker(HWND mainWindow, DWORD limit)
{
    if (!Recovery.worker)
        return true;
    DropAwaitingJob();
    if (WaitForSingleObject(Recovery.worker, limit) != WAIT_OBJECT_0)
        return false;
    LandJob(mainWindow);
    return true;
}

// The text has left the window (saved, replaced by New, a load): its copy
// goes, now or when a copy being written lands.
void DiscardCopy(HWND mainWindow)
{
    KillTimer(mainWindow, kRecoveryTimer);
    Recovery.waiting = false;
    Recovery.copyCurrent = false;
    TextKept(mainWindow);
    if (!WaitForWorker(mainWindow, kRecoveryWaitLimit)) {
        Recovery.removeWhenLanded = true;
        return;
    }
    RemoveCopy();
}

// After the last copy: a later frame (a test's) starts afresh, while the
// sequence goes on, so that no message of an earlier job is taken for one of
// a later one.
void ForgetCopies()
{
    const LPARAM sequence = Recovery.sequence;
    Recovery = RecoveryState();
    Recovery.sequence = sequence;
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

bool RecoveryCopyBehind()
{
    return DocumentState.IsModified && !(Recovery.copyCurrent && Recovery.copiedCount == DocumentChangeCount());
}

void RecoveryNoteChange(HWND mainWindow)
{
    if (!DocumentState.IsModified) {
        DiscardCopy(mainWindow);
        return;
    }
    NoteChangesWaiting();
    // A worker in hand is followed by the next copy when it lands; the timer
    // stays as it is, so that it finds a worker whose message was lost.
    if (!Recovery.worker)
        Schedule(mainWindow, RecoveryDelay(GetTickCount(), Recovery.firstWaitingChange));
}

LRESULT StartRecoveryCopy(HWND mainWindow)
{
    KillTimer(mainWindow, kRecoveryTimer);
    if (Recovery.worker) {
        // A worker whose message was refused ends without it.
        if (WaitForSingleObject(Recovery.worker, 0) == WAIT_OBJECT_0)
            LandJob(mainWindow);
        else
            Schedule(mainWindow, kRecoveryLongest);
        return 0;
    }
    if (!RecoveryCopyBehind()) {
        Recovery.waiting = false;
        return 0;
    }
    CopyJob* job = NewJob(mainWindow);
    if (job)
        job->filled = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD threadId;
    if (job && job->filled)
        Recovery.worker = CreateThread(nullptr, 0, WriteCopyInBackground, job, 0, &threadId);
    if (!Recovery.worker) {
        if (job)
            FreeJob(job);
        CopyFailed(mainWindow);
        return 0;
    }
    Recovery.job = job;
    Recovery.awaitingText = true;
    Schedule(mainWindow, kRecoveryLongest);
    return 0;
}

LRESULT FillRecoveryCopy(HWND mainWindow, WPARAM roomMade, LPARAM sequence)
{
    if (!Recovery.awaitingText || sequence != Recovery.sequence)
        return 0;
    CopyJob* job = Recovery.job;
    if (roomMade && DocumentState.IsModified && FillJob(job, mainWindow)) {
        // Changes from now on wait for the next copy.
        Recovery.waiting = false;
        Recovery.awaitingText = false;
        SetEvent(job->filled);
        return 0;
    }
    const bool outgrown = roomMade && DocumentState.IsModified && EditTextLength(mainWindow) >= job->capacity;
    WaitForWorker(mainWindow, INFINITE);  // it ends at once: it was waiting for the text
    if (outgrown)
        // Typed or pasted past the room meanwhile: the next job measures again.
        Schedule(mainWindow, 0);
    return 0;
}

LRESULT FinishRecoveryCopy(HWND mainWindow, WPARAM, LPARAM sequence)
{
    if (!Recovery.worker || sequence != Recovery.sequence)
        return 0;
    WaitForSingleObject(Recovery.worker, INFINITE);
    LandJob(mainWindow);
    return 0;
}

bool WriteRecoveryCopyNow(HWND mainWindow)
{
    KillTimer(mainWindow, kRecoveryTimer);
    // The worker writes under the same names: it is let finish first.
    WaitForWorker(mainWindow, INFINITE);
    if (!RecoveryCopyBehind())
        return true;
    CopyJob* job = NewJob(mainWindow);
    const bool written =
        job && MakeRoom(job) && FillJob(job, mainWindow) && WriteRecoveryCopy(job->folder, job->header, job->text);
    if (written) {
        Recovery.copyOnDisk = true;
        Recovery.copyCurrent = true;
        Recovery.copiedCount = job->changeCount;
        Recovery.waiting = false;
        TextKept(mainWindow);
    }
    if (job)
        FreeJob(job);
    return written;
}

void AdoptRecoveryCopy(HWND mainWindow)
{
    Recovery.copyOnDisk = true;
    Recovery.copyCurrent = false;
    NoteChangesWaiting();
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
        WaitForWorker(mainWindow, INFINITE);
        ForgetCopies();
        return;
    }
    // At exit a late copy is not left behind for the next start to offer.
    KillTimer(mainWindow, kRecoveryTimer);
    WaitForWorker(mainWindow, INFINITE);
    RemoveCopy();
    TextKept(mainWindow);
    ForgetCopies();
}
