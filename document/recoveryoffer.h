// Offers, at start-up, the unsaved text that processes which no longer run
// left in their recovery copies, and restores what the user takes.
#pragma once
#include <windows.h>

#include <string>

#include "document/filecheck.h"
#include "document/recoverycopy.h"

// The command-line switch that hands a claimed copy to a new process; what
// follows it is the claim's name in the store, never a file to open.
extern const wchar_t kRestoreCopySwitch[];

// The question for one copy: whose changes they are, when they were made,
// what became of the file since (Same when there is nothing to say), and
// what each button does. text holds 1024.
void FormatRecoveryQuestion(const RecoveryHeader& header, CopyCondition condition, FileState fileNow, wchar_t* text);

// The main window's answer to WM_SCRIVLET_OFFERCOPIES: one box for each copy
// left by a process that no longer runs. Yes restores it, in this window
// when takeFirstHere and it is the first, else in a new process; No
// discards it; Cancel keeps it for a later start.
LRESULT OfferRecoveryCopies(HWND mainWindow, bool takeFirstHere);

// Restores the copy claimed under that name (see kRestoreCopySwitch) into
// this window, untitled and empty until now. Shows why when it cannot.
void RestoreHandedCopy(HWND mainWindow, const wchar_t* claim);
