#include "recovery/recoverylock.h"

#include "recovery/recoverycopy.h"
#include "recovery/recoverystore.h"

namespace {

HANDLE HeldLock = nullptr;
bool HeldForLife = false;

}  // namespace

HANDLE HoldRecoveryLock(const wchar_t* folder, const ProcessIdentity& owner)
{
    // No delete sharing: that is what makes another process's delete fail.
    const std::wstring path = StorePath(folder, LockName(owner));
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

bool TakeRecoveryLock(const wchar_t* folder)
{
    if (HeldLock)
        return true;
    HANDLE lock = HoldRecoveryLock(folder, CurrentProcessIdentity());
    if (lock == INVALID_HANDLE_VALUE)
        return false;
    HeldLock = lock;
    return true;
}

void ReleaseRecoveryLock()
{
    if (!HeldLock || HeldForLife)
        return;
    CloseHandle(HeldLock);
    HeldLock = nullptr;
}

void KeepRecoveryLockForLife()
{
    HeldForLife = true;
}

bool JudgeLockHeld(bool deleted, DWORD error)
{
    if (deleted || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return false;
    // A sharing violation is the holder's handle; any other failure cannot
    // tell, and a live writer's copy must never be taken.
    return true;
}

bool RecoveryLockHeld(const wchar_t* folder, const ProcessIdentity& owner)
{
    const std::wstring path = StorePath(folder, LockName(owner));
    const bool deleted = DeleteFileW(path.c_str()) != FALSE;
    return JudgeLockHeld(deleted, deleted ? ERROR_SUCCESS : GetLastError());
}

bool JudgeOwnerRuns(bool lockHeld, uint32_t copyVersion, const ProcessLook& process)
{
    if (lockHeld)
        return true;
    return copyVersion < kLockedCopyVersion && JudgeProcessRuns(process);
}

bool RecoveryOwnerRuns(const wchar_t* folder, const ProcessIdentity& owner, uint32_t copyVersion)
{
    const bool held = RecoveryLockHeld(folder, owner);
    const bool askProcess = !held && copyVersion < kLockedCopyVersion;
    return JudgeOwnerRuns(held, copyVersion, askProcess ? LookAtProcess(owner) : ProcessLook());
}
