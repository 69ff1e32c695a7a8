// The check of the document's file when the user comes back to the program,
// made on a worker thread: a slow disk or an unreachable share never holds
// the window up. Only one check runs at a time.
#pragma once
#include <windows.h>

#include "document/filecheck.h"
#include "document/fileversion.h"
#include "platform/paths.h"

// Fires when a check has taken too long: it then counts as unknown.
const UINT kFileCheckTimer = 3;
const DWORD kFileCheckLimit = 2000;
// How long the window waits for a check before going on without it: a local
// file is checked by then, and its answer comes at once.
const DWORD kFileCheckInlineWait = 100;

struct FileCheckJob {
    HWND mainWindow;
    wchar_t path[kPathCapacity];
    FileVersion base;
    // The version the user chose not to load: known by its identity alone,
    // so that it is never hashed again.
    FileVersion asked;
    LPARAM sequence;
    FileState state;  // the answer
    FileVersion now;
};

// What a finished check does with its answer, on the window's thread.
typedef void (*FileCheckAnswer)(const FileCheckJob& job);

// Starts checking path against base; answer gets the result, either before
// this returns (a quick check) or from WM_SCRIVLET_FILECHECKED. False when a
// check is still running, which a later return tries again.
bool StartFileCheck(HWND mainWindow, const wchar_t* path, const FileVersion& base, const FileVersion& asked,
                    FileCheckAnswer answer);
// Timer kFileCheckTimer: the check in hand counts as unknown and changes
// nothing; its late answer is dropped.
LRESULT FileCheckTookTooLong(HWND mainWindow);
// The main window's answer to WM_SCRIVLET_FILECHECKED; lParam is the job.
LRESULT FinishFileCheck(HWND mainWindow, LPARAM job);
