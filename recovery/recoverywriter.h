// Keeps the recovery copy of the document's unsaved text up to date, so that
// a kill, a crash, a power cut or the end of the Windows session loses none
// of it. Typing never waits for the disk: the text is copied from the control
// on this thread into room a worker thread made for it, and the worker
// writes the copy.
//
// A copy is current when it holds the text of the document's change count
// as it stands (see documentchange.h): no order of messages can make a copy
// of an older text count as current.
#pragma once
#include <windows.h>

// Fires when a copy is due: 2 s after the changes pause, at most 30 s after
// the first change that no copy holds. While a copy is in hand it fires 30 s
// on, to find a worker whose message was lost.
const UINT kRecoveryTimer = 2;
const DWORD kRecoveryPause = 2000;
const DWORD kRecoveryLongest = 30000;
// How long a save or a discard waits for a copy being written.
const DWORD kRecoveryWaitLimit = 5000;
// The lasting status note shown until a copy is written again.
extern const wchar_t kCopyFailedNote[];

// How long to wait from now before the next copy, given when the first
// change that no copy holds was made. Tick counts wrap; the difference
// does not care.
DWORD RecoveryDelay(DWORD now, DWORD firstUnsavedChange);

// The document change hook (SetDocumentChangeHook): an unmodified
// document's text is all in its file, so its copy goes; a modified one's
// copy is due (its path may have changed too).
void RecoveryNoteChange(HWND mainWindow);

// Timer kRecoveryTimer: starts writing the copy when it is behind.
LRESULT StartRecoveryCopy(HWND mainWindow);
// The main window's answer to WM_SCRIVLET_COPYROOM: copies the text into
// the room the worker made, or drops the job.
LRESULT FillRecoveryCopy(HWND mainWindow, WPARAM roomMade, LPARAM sequence);
// The main window's answer to WM_SCRIVLET_COPYWRITTEN.
LRESULT FinishRecoveryCopy(HWND mainWindow, WPARAM written, LPARAM sequence);

// Whether the modified text has changes that no copy holds.
bool RecoveryCopyBehind();
// Brings the copy up to date before returning, flushed to disk, on this
// thread (the session is ending). False when it could not be written.
bool WriteRecoveryCopyNow(HWND mainWindow);

// A restored copy is this process's copy now (see AdoptClaim); it is
// rewritten under this process's own name at once.
void AdoptRecoveryCopy(HWND mainWindow);

// The session ends: the copy stays for the next start, whatever follows.
void KeepRecoveryCopyForNextStart();
// At exit: waits for a copy being written, then removes the copy unless it
// is kept for the next start.
void EndRecoveryCopies(HWND mainWindow);
