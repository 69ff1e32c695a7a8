#include "document/recoverywriter.h"

#include <new>

#include "document/documentstate.h"
#include "document/recoverystore.h"
#include "document/titlestatus.h"
#include "platform/framemessages.h"
#include "platform/guard.h"
#include "platform/textbuffer.h"
#include "res/resource.h"

namespace {

// The worker needs little stack. Wine commits a thread's whole stack, so the
// program's default megabyte would count against the copy's memory; Windows
// 2000, which lacks the flag, takes the size as what to commit at first.
const SIZE_T kWorkerStack = 64 * 1024;
const DWORD kStackIsReservation = 0x00010000;  // STACK_SIZE_PARAM_IS_A_RESERVATION

// One copy in writing at a time: the job owns its text until the worker
// frees it.
struct CopyJob {
    HWND mainWindow;
    LPARAM sequence;
    wchar_t folder[kPathCapacity];
    RecoveryHeader header;
    wchar_t* text;
};

struct RecoveryState {
    bool changesWaiting;       // changes that no copy holds yet
    DWORD firstWaitingChange;  // GetTickCount of the first of them
    HANDLE worker;
    LPARAM sequence;    // of the job in writing; its answer is dropped once it no longer matches
    bool copyWritten;   // a copy of this process's may be in the store
    bool failureShown;  // the status note about a failed copy is up
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

// A copy of the control's text and what the document is, or null when no
// memory holds one.
CopyJob* TakeSnapshot(HWND mainWindow)
{
    CopyJob* job = new (std::nothrow) CopyJob();
    if (!job || !RecoveryFolder(job->folder)) {
        delete job;
        return nullptr;
    }
    HWND edit = GetDlgItem(mainWindow, IDC_EDIT);
    const size_t length = static_cast<size_t>(GetWindowTextLengthW(edit));
    job->text = new (std::nothrow) wchar_t[length + 1];
    LockedText current(TextBufferOf(edit));
    if (!job->text || !current.get()) {
        delete[] job->text;
        delete job;
        return nullptr;
    }
    memcpy(job->text, current.get(), length * sizeof(wchar_t));
    job->mainWindow = mainWindow;
    job->sequence = ++Recovery.sequence;
    RecoveryHeader& header = job->header;
    header.Writer = CurrentProcessIdentity();
    GetSystemTimeAsFileTime(&header.Written);
    header.Format = DocumentState.Format;
    CopyPath(DocumentState.FilePath, header.FilePath);
    header.Base = DocumentState.Base;
    header.TextLength = length;
    return job;
}

bool WriteJob(CopyJob* job)
{
    return WriteRecoveryCopy(job->folder, job->header, job->text);
}

void FreeJob(CopyJob* job)
{
    delete[] job->text;
    delete job;
}

DWORD WINAPI WriteCopyInBackground(void* parameter)
{
    CopyJob* job = static_cast<CopyJob*>(parameter);
    const bool written = RunGuarded<bool>(false, [&] { return WriteJob(job); });
    PostMessageW(job->mainWindow, WM_SCRIVLET_COPYWRITTEN, written, job->sequence);
    FreeJob(job);
    return written;
}

void Schedule(HWND mainWindow, DWORD delay)
{
    SetTimer(mainWindow, kRecoveryTimer, delay, nullptr);
}

// Waits for the copy in writing, whose posted answer is then dropped.
void WaitForWorker()
{
    if (!Recovery.worker)
        return;
    WaitForSingleObject(Recovery.worker, INFINITE);
    DWORD written = 0;
    GetExitCodeThread(Recovery.worker, &written);
    CloseHandle(Recovery.worker);
    Recovery.worker = nullptr;
    ++Recovery.sequence;
    // An earlier copy may be there even when this one failed.
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
    // A copy in writing is followed by the next one when it is done.
    if (!Recovery.changesWaiting || Recovery.worker)
        return 0;
    if (!DocumentState.IsModified) {
        Recovery.changesWaiting = false;
        return 0;
    }
    CopyJob* job = TakeSnapshot(mainWindow);
    if (!job) {
        // Tried again with the next change, or a while later.
        ShowCopyFailed(mainWindow);
        Schedule(mainWindow, kRecoveryLongest);
        return 0;
    }
    Recovery.changesWaiting = false;
    DWORD threadId;
    Recovery.worker = CreateThread(nullptr, kWorkerStack, WriteCopyInBackground, job, kStackIsReservation, &threadId);
    if (!Recovery.worker) {
        FreeJob(job);
        Recovery.changesWaiting = true;
        Schedule(mainWindow, kRecoveryLongest);
        ShowCopyFailed(mainWindow);
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
    CopyJob* job = TakeSnapshot(mainWindow);
    if (!job)
        return false;
    const bool written = WriteJob(job);
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
