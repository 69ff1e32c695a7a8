// The edit control that holds the document, and its word-wrap mode.
#pragma once
#include <windows.h>

HWND CreateEditControl(HWND mainWindow, int x, int y, int width, int height, int wrap);
void SetWordWrap(HWND mainWindow, int on);
LRESULT ToggleWordWrap(HWND mainWindow);
// The main window's answer to WM_SCRIVLET_SETWORDWRAP.
LRESULT SwitchWordWrap(HWND mainWindow, int on);

// The rectangle between toolbar and status bar, from their current heights.
RECT EditControlRect(HWND mainWindow);
