#include "platform/processidentity.h"

#include "platform/scopedhandle.h"

ProcessIdentity CurrentProcessIdentity()
{
    ProcessIdentity self = {GetCurrentProcessId(), {}};
    FILETIME exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &self.Start, &exited, &kernel, &user);
    return self;
}

bool SameProcess(const ProcessIdentity& a, const ProcessIdentity& b)
{
    return a.Id == b.Id && CompareFileTime(&a.Start, &b.Start) == 0;
}

bool JudgeProcessRuns(const ProcessLook& look)
{
    if (!look.opened)
        // An id no process has any more is refused as an invalid parameter.
        return look.openError != ERROR_INVALID_PARAMETER;
    if (!look.timesRead)
        return true;
    return look.sameStart && !look.exited;
}

ProcessLook LookAtProcess(const ProcessIdentity& process)
{
    ProcessLook look = {};
    ScopedHandle handle(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, process.Id));
    look.opened = handle.valid();
    if (!look.opened) {
        look.openError = GetLastError();
        return look;
    }
    FILETIME start, exited, kernel, user;
    look.timesRead = GetProcessTimes(handle.get(), &start, &exited, &kernel, &user) != FALSE;
    look.sameStart = look.timesRead && CompareFileTime(&start, &process.Start) == 0;
    DWORD exitCode = 0;
    look.exited = GetExitCodeProcess(handle.get(), &exitCode) && exitCode != STILL_ACTIVE;
    return look;
}
