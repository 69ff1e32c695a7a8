// Whether the writer of a recovery copy still runs is asked of a lock that
// the system releases when the writer ends, never of its process id: after
// a crash and a restart the id may belong to a service or to another user's
// process, which may not be opened, and the copy would stay hidden for as
// long as that process lives.
//
// The lock is "PPPPPPPP-SSSSSSSSSSSSSSSS.lock" in the store, held open
// without delete sharing and deleted when the handle closes, so also when
// the process dies. Another process's attempt to delete it fails with a
// sharing violation while it is held; a lock that a power cut left behind
// is simply deleted, which is how stale locks go.
#pragma once
#include <windows.h>

#include <cstdint>

#include "platform/processidentity.h"

// Opens owner's lock and holds it for as long as the handle is open;
// INVALID_HANDLE_VALUE when it cannot be had. Caller closes.
HANDLE HoldRecoveryLock(const wchar_t* folder, const ProcessIdentity& owner);
// Takes this process's lock, if it does not hold it yet; false when it
// cannot be had. Held until ReleaseRecoveryLock or the process's end.
bool TakeRecoveryLock(const wchar_t* folder);
// Lets the lock go once this process has no copy left, unless a claim was
// handed to another process: until that one takes it over, the claim is
// judged by this process's lock.
void ReleaseRecoveryLock();
void KeepRecoveryLockForLife();

// Whether owner's lock is held, found by trying to delete it: a lock that no
// process holds is removed. What deleting it gave is judged apart.
bool RecoveryLockHeld(const wchar_t* folder, const ProcessIdentity& owner);
bool JudgeLockHeld(bool deleted, DWORD error);

// Whether the owner of a copy (its writer, or the claimer of a claim) still
// runs. A copy of a version written under a lock is judged by the lock
// alone; one of an earlier version, by asking the process (see
// JudgeProcessRuns), since its writer took no lock.
bool JudgeOwnerRuns(bool lockHeld, uint32_t copyVersion, const ProcessLook& process);
bool RecoveryOwnerRuns(const wchar_t* folder, const ProcessIdentity& owner, uint32_t copyVersion);
