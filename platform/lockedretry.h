// Indexers and virus scanners open a new or changed file without sharing for
// a moment. A file operation that meets such a lock is tried again for about
// a second before it counts as failed.
#pragma once
#include <windows.h>

// On Windows, ReplaceFileW reports a target held this way as one it could
// not remove, with both files still under their own names.
inline bool IsLockedError(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// A rename over a file that another process holds open is refused as
// access denied, also where that process shares deleting it.
inline bool IsHeldOpenError(DWORD error)
{
    return IsLockedError(error) || error == ERROR_ACCESS_DENIED;
}

// Runs attempt until it succeeds, fails for another reason than a locked
// file (as locked tells), or about a second has passed.
template <typename Attempt>
bool RetriedWhileLocked(Attempt attempt, bool (*locked)(DWORD) = IsLockedError)
{
    const int kRetries = 10;
    const DWORD kPause = 100;
    for (int retry = 0;; ++retry) {
        if (attempt())
            return true;
        if (retry == kRetries || !locked(GetLastError()))
            return false;
        Sleep(kPause);
    }
}
