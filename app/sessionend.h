// The end of the Windows session (logoff, shutdown, Restart Manager). A box
// here is how text gets lost: the system gives a few seconds and then ends
// the program, so the unsaved text goes into its recovery copy instead.
#pragma once
#include <windows.h>

enum class SessionEndStep {
    CarryOn,          // the end was cancelled: nothing changes
    KeepCopy,         // the session ends; the process is ended after this
    KeepCopyAndExit,  // Restart Manager closes the program; the session goes on
};

// From WM_ENDSESSION's wParam and lParam; lParam is a set of bits, and
// Restart Manager sends several at once.
SessionEndStep DecideSessionEnd(bool ending, LPARAM reasons);

LRESULT OnQueryEndSession(HWND mainWindow);
LRESULT OnEndSession(HWND mainWindow, bool ending, LPARAM reasons);
