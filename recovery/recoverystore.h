// The store of recovery copies: a folder of the program's own in the user's
// profile (never beside the document, never one other users share), one
// file a process, named for the process that owns it.
//
// A copy's owner is in its name: "PPPPPPPP-SSSSSSSSSSSSSSSS.recovery" is the
// copy of process P started at S. A copy whose owner no longer runs is
// offered at the next start; to offer it, a process first claims it by
// renaming it to "CCCCCCCC-TTTTTTTTTTTTTTTT~PPPPPPPP-SSSSSSSSSSSSSSSS.recovery",
// which only one process can do. A claim whose claimer has died is offered
// again. Beside them: the writers' locks ("P-S.lock", see recoverylock.h)
// and copies being written ("P-S.recovery-new"). Every name that does not
// read one of these ways is left alone.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "platform/processidentity.h"
#include "recovery/recoverycopy.h"

// The store's folder: the user's local application data folder, then
// "Scrivlet\Recovery". Only a write makes it when missing, so that a user
// who never left unsaved text gets no folder. False when it is not there.
enum class StoreUse { Read, Write };
bool RecoveryFolder(wchar_t folder[kPathCapacity], StoreUse use = StoreUse::Read);

enum class StoreEntry { Copy, Claim, Lock, Leftover };
struct CopyName {
    StoreEntry Kind;
    ProcessIdentity Owner;     // the writer, or the claimer of a claim
    ProcessIdentity Original;  // of a claim: the copy's writer
};
std::wstring OwnCopyName(const ProcessIdentity& owner);
std::wstring ClaimName(const ProcessIdentity& claimer, const ProcessIdentity& original);
std::wstring LockName(const ProcessIdentity& owner);
std::wstring LeftoverName(const ProcessIdentity& owner);
bool ParseCopyName(const wchar_t* name, CopyName* parsed);

// Writes the owner's copy whole or not at all: under a new name first,
// flushed to the disk, then renamed over the copy before it. A file held
// for a moment by a scanner is tried again. False leaves the last good copy.
// The writer holds its lock (TakeRecoveryLock) before its first copy.
bool WriteRecoveryCopy(const wchar_t* folder, const RecoveryHeader& header, const wchar_t* text);
// Removes the owner's copy; true when none is left.
bool RemoveRecoveryCopy(const wchar_t* folder, const ProcessIdentity& owner);

// The copy at path, read as far as it is whole (see DecodeRecoveryHeader).
CopyCondition ReadRecoveryHeader(const wchar_t* path, RecoveryHeader* header);
// Its text as a movable block for the edit control, with a terminator; null
// when it cannot be read or held.
HLOCAL ReadRecoveryText(const wchar_t* path, const RecoveryHeader& header);

// Claims, for claimer, every copy and claim of the store whose owner no
// longer runs, and returns the claims' names, oldest process first. A copy
// another process claims first is not among them. On the way it removes the
// locks and the half-written copies that ended processes left. The claimer
// holds its lock first, or its claims count as abandoned at once.
std::vector<std::wstring> ClaimAbandonedCopies(const wchar_t* folder, const ProcessIdentity& claimer);
// Takes a claim over for a new claimer (the process a further restore was
// handed to); false when it is gone, or taken.
bool TakeOverClaim(const wchar_t* folder, const std::wstring& claim, const ProcessIdentity& claimer,
                   std::wstring* taken);
// Gives a claimed copy back under its writer's name, for a later start.
bool ReleaseClaim(const wchar_t* folder, const std::wstring& claim);
// Makes a claimed copy the claimer's own copy: it is then the one this
// process keeps up to date, and removes when the text leaves its window.
// False when the claimer has a copy of its own, which is never replaced.
bool AdoptClaim(const wchar_t* folder, const std::wstring& claim);
// Deletes a claimed copy, trying again while a scanner holds it.
bool DiscardClaim(const wchar_t* folder, const std::wstring& claim);

std::wstring StorePath(const wchar_t* folder, const std::wstring& name);
