// The window that shows a print job's progress while pages are spooled, with
// a Cancel button. The job pumps its messages after each page, since Wine
// calls an abort procedure only in StartDocW.
#pragma once
#include <windows.h>

#include <cstddef>

// Opens the window over mainWindow, which is disabled until it closes, so the
// text cannot change under the job. Null when it cannot be made; the job then
// runs without it.
HWND OpenPrintProgress(HWND mainWindow);

// Shows "Printing page page of pages", handles the messages waiting, and
// says whether Cancel was pressed.
bool PrintProgressCancelled(HWND progress, size_t page, size_t pages);

// Closes the window and enables mainWindow again.
void ClosePrintProgress(HWND progress, HWND mainWindow);
