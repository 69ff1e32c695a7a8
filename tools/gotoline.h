// Go to line: scrolls the document so that a chosen line comes into view.
#pragma once
#include <windows.h>

// Runs the modal Go to line dialog over mainWindow. Returns 0.
LRESULT ShowGoToLineDialog(HWND mainWindow);
