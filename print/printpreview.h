// Print Preview: a window of the program's own, owned by the main window,
// that shows the document's pages one at a time as they will print, drawn by
// the printer's layout, so its rows break where the paper's do. Editing
// waits while it is open: the main window is disabled.
#pragma once
#include <windows.h>

// Opens the preview over mainWindow with the first page shown, from a copy of
// the text taken now, laid out for the chosen printer (the default one at
// first) with the stored margins, paper and orientation. Later pages are laid
// out as they are asked for, and the rest while the preview waits for the
// user. Shows the failure and returns null when it cannot be opened.
HWND OpenPrintPreview(HWND mainWindow);

// Handles the preview's messages until it is closed (Close, Esc, its close
// box, Print, or the program's end); true when Print was pressed.
bool RunPrintPreview(HWND preview);

// Closes the preview and enables mainWindow again.
void ClosePrintPreview(HWND preview, HWND mainWindow);

// The File menu's Print Preview: opens the preview and, when Print is
// pressed there, the Print dialog once it has closed. Returns 0.
LRESULT ShowPrintPreview(HWND mainWindow);
