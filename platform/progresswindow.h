// A small window over the main window that tells how far a long task has
// come and offers Cancel. The task handles the window's messages between
// its steps itself, so Cancel needs no thread and no abort procedure.
#pragma once
#include <windows.h>

// Opens the dialog templateId of this program over mainWindow with caption;
// the template's first control shows the text, and it has a Cancel button.
// mainWindow is disabled until the window closes, so the document cannot
// change under the task. Null when it cannot be made: the task then runs
// without it.
HWND OpenProgressWindow(HWND mainWindow, int templateId, const wchar_t* caption);

// Shows text, handles the messages waiting and says whether Cancel was
// pressed. A WM_QUIT found meanwhile is posted again for the main loop and
// counts as Cancel.
bool ProgressCancelled(HWND progress, const wchar_t* text);

// Closes the window and enables mainWindow again.
void CloseProgressWindow(HWND progress, HWND mainWindow);
