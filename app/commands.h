// WM_COMMAND: the change notice of the edit control and one action per command.
#pragma once
#include <windows.h>

LRESULT HandleCommand(HWND mainWindow, WPARAM wParam, LPARAM lParam);

LRESULT StartNewWindow(HWND mainWindow);
LRESULT ShowFileProperties(HWND mainWindow);

// Stores placement and font, asks about unsaved changes and ends the message
// loop unless the user cancels. The window itself is left alone.
LRESULT SaveStateAndQuit(HWND mainWindow);
