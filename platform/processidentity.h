// A process told apart from any later one that is given the same id: its id
// and the time it started.
#pragma once
#include <windows.h>

struct ProcessIdentity {
    DWORD Id;
    FILETIME Start;
};

ProcessIdentity CurrentProcessIdentity();

bool SameProcess(const ProcessIdentity& a, const ProcessIdentity& b);

// What opening and asking a process gave.
struct ProcessLook {
    bool opened;  // OpenProcess succeeded; else openError tells why
    DWORD openError;
    bool timesRead;  // GetProcessTimes succeeded
    bool sameStart;  // and its start is the one recorded
    bool exited;     // GetExitCodeProcess says it has ended
};

// Whether the process recorded still runs. A process that may not be opened
// runs (another user's, or an elevated one); one whose start differs is a
// later process that was given the same id; a check that cannot be made
// counts as running, so nothing of a live process is ever touched.
bool JudgeProcessRuns(const ProcessLook& look);

// Asks the platform about the process; only PROCESS_QUERY_INFORMATION,
// which Windows 2000 has.
ProcessLook LookAtProcess(const ProcessIdentity& process);
