// The strip of picture buttons under the menu.
#pragma once
#include <windows.h>
#include <commctrl.h>

// The toolbar's pictures; destroyed in the clean-up at exit.
extern HIMAGELIST ToolbarImages;

// Fills the toolbar with its images and buttons and shows it. Returns 0 when
// the image list cannot be made.
int SetupToolbar(HWND toolbar);
