// Find and replace, and the helper that centres one window over another.
#pragma once
#include <windows.h>

// The newest Find and Replace dialog, or null; the message loop routes its keys.
extern HWND FindReplaceDialog;

// Moves window so that its centre lies over the centre of reference.
void CenterWindowOn(HWND reference, HWND window);
