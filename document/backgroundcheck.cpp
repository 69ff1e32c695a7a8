#include "document/backgroundcheck.h"

#include <new>

#include "platform/framemessages.h"
#include "platform/guard.h"

namespace {

struct CheckInHand {
    HANDLE worker;   // until its answer is taken in, also after it took too long
    LPARAM awaited;  // the sequence of the check whose answer is still wanted; 0 for none
    LPARAM last;
    FileCheckAnswer answer;
};
CheckInHand Check = {};

DWORD WINAPI CheckInBackground(void* parameter)
{
    FileCheckJob* job = static_cast<FileCheckJob*>(parameter);
    RunGuarded<bool>(false, [&] {
        FileVersion identity = {};
        if (job->asked.Known && IdentityAtCall(job->path, &identity) && SameIdentity(job->asked, identity)) {
            job->state = FileState::Changed;
            job->now = job->asked;
        } else {
            job->state = CheckFile(job->path, job->base, &job->now);
        }
        return true;
    });
    if (!PostMessageW(job->mainWindow, WM_SCRIVLET_FILECHECKED, 0, reinterpret_cast<LPARAM>(job))) {
        // Nobody takes the answer in: the window is gone.
        delete job;
    }
    return 0;
}

void Answer(const FileCheckJob& job)
{
    if (job.sequence != Check.awaited)
        return;
    Check.awaited = 0;
    KillTimer(job.mainWindow, kFileCheckTimer);
    Check.answer(job);
}

}  // namespace

bool StartFileCheck(HWND mainWindow, const wchar_t* path, const FileVersion& base, const FileVersion& asked,
                    FileCheckAnswer answer)
{
    if (Check.worker)
        return false;
    FileCheckJob* job = new (std::nothrow) FileCheckJob();
    if (!job)
        return false;
    job->mainWindow = mainWindow;
    CopyPath(path, job->path);
    job->base = base;
    job->asked = asked;
    job->sequence = ++Check.last;
    DWORD threadId;
    Check.worker = CreateThread(nullptr, 0, CheckInBackground, job, 0, &threadId);
    if (!Check.worker) {
        delete job;
        return false;
    }
    Check.awaited = job->sequence;
    Check.answer = answer;
    // The job lives until its message is taken in, so a quick answer may be
    // used here.
    if (WaitForSingleObject(Check.worker, kFileCheckInlineWait) == WAIT_OBJECT_0)
        Answer(*job);
    else
        SetTimer(mainWindow, kFileCheckTimer, kFileCheckLimit, nullptr);
    return true;
}

LRESULT FileCheckTookTooLong(HWND mainWindow)
{
    KillTimer(mainWindow, kFileCheckTimer);
    Check.awaited = 0;
    return 0;
}

LRESULT FinishFileCheck(HWND, LPARAM parameter)
{
    FileCheckJob* job = reinterpret_cast<FileCheckJob*>(parameter);
    if (Check.worker) {
        WaitForSingleObject(Check.worker, INFINITE);  // it has posted: it ends now
        CloseHandle(Check.worker);
        Check.worker = nullptr;
    }
    Answer(*job);
    delete job;
    return 0;
}
