// WM_COMMAND: the change notice of the edit control and one action per command.
#pragma once
#include <windows.h>

LRESULT HandleCommand(HWND mainWindow, WPARAM wParam, LPARAM lParam);

LRESULT StartNewWindow(HWND mainWindow);
LRESULT ShowFileProperties(HWND mainWindow);
