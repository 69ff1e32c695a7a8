// The edit control that holds the document, its word-wrap mode and the
// main window's stay-on-top state.
#pragma once
#include <windows.h>

// Posted to the main window behind a buffer handed to the edit control; wParam
// is the buffer the control used before, which is freed once it is unused.
const UINT WM_SCRIVLET_TEXTHANDEDOVER = WM_APP + 1;

HWND CreateEditControl(HWND mainWindow, int x, int y, int width, int height, int wrap);
void SetWordWrap(HWND mainWindow, int on);
LRESULT ToggleWordWrap(HWND mainWindow);
int SetStayOnTop(HWND mainWindow, int on);
LRESULT ToggleStayOnTop(HWND mainWindow);

// Queues newBlock (movable, zero-terminated UTF-16) as the edit control's
// buffer. The control takes it when the message loop next runs; the buffer it
// had until then is freed after that.
void HandTextToEdit(HWND mainWindow, HLOCAL newBlock);
LRESULT FinishTextHandover(HWND mainWindow, HLOCAL oldBlock);

// The rectangle between toolbar and status bar, from their current heights.
RECT EditControlRect(HWND mainWindow);
