// The end of the Windows session (logoff, shutdown, Restart Manager). A box
// here is how text gets lost: the system gives a few seconds and then ends
// the program, so the unsaved text goes into its recovery copy instead, and
// the session is kept from ending only when the copy cannot be written.
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

// WM_QUERYENDSESSION's answer: the session may end unless changes that no
// copy holds could not be written. A critical end cannot be refused.
bool AgreeToEndSession(bool changesBehind, bool copyWritten, bool critical);

LRESULT OnQueryEndSession(HWND mainWindow, LPARAM reasons);
LRESULT OnEndSession(HWND mainWindow, bool ending, LPARAM reasons);
// The main window's answer to WM_SCRIVLET_SESSIONKEPT, posted by a refused
// end: says why, once the query has been answered.
LRESULT ExplainSessionKept(HWND mainWindow);

// The text is kept again (in a copy, or saved): the reason shown on the
// shutdown screen goes.
void LiftSessionEndBlock(HWND mainWindow);

// ShutdownBlockReasonCreate and ShutdownBlockReasonDestroy, bound at run
// time from user32 (Vista and later; null before, where a refused end
// simply cancels it). Wine's do nothing, so tests put their own in.
struct ShutdownBlockCalls {
    BOOL(WINAPI* create)(HWND, LPCWSTR);
    BOOL(WINAPI* destroy)(HWND);
};
extern ShutdownBlockCalls ShutdownBlockCall;
