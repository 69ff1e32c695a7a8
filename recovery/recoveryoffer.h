// Offers, at start-up, the unsaved text that processes which no longer run
// left in their recovery copies, and restores what the user takes.
#pragma once
#include <windows.h>

#include <string>

#include "document/filecheck.h"
#include "recovery/recoverycopy.h"

// The command-line switch that hands a claimed copy to a new process; what
// follows it is the claim's name in the store, never a file to open.
extern const wchar_t kRestoreCopySwitch[];

// Whether a copy's path and format may be restored as they are: the path is
// a whole one (a drive's or a share's) or kUntitled, and the stand-in is one
// the loader chooses. A copy is only a file in the user's profile, and one
// that says otherwise is restored as untitled text in the plain format.
bool RestorableAsWritten(const RecoveryHeader& header);
void MakeUntitled(RecoveryHeader* header);

// The question for one copy: whose changes they are, when they were made,
// what became of the file since (Same when there is nothing to say), whether
// it comes back untitled (see RestorableAsWritten), and what each button
// does. text holds 1024.
void FormatRecoveryQuestion(const RecoveryHeader& header, CopyCondition condition, FileState fileNow, bool madeUntitled,
                            wchar_t* text);

// The main window's answer to WM_SCRIVLET_OFFERCOPIES: one box for each copy
// left by a process that no longer runs. Yes restores it, in this window
// when takeFirstHere, it is the first and the window's document has not
// changed since the offer began, else in a new process; No discards it;
// Cancel keeps it for a later start.
LRESULT OfferRecoveryCopies(HWND mainWindow, bool takeFirstHere);

// Restores the copy claimed under that name (see kRestoreCopySwitch) into
// this window, untitled and empty until now. Shows why when it cannot.
void RestoreHandedCopy(HWND mainWindow, const wchar_t* claim);
