// The strip of picture buttons under the menu.
#pragma once
#include <windows.h>
#include <commctrl.h>

// The toolbar's pictures; destroyed in the clean-up at exit.
extern HIMAGELIST ToolbarImages;

// The side of the button pictures at a dpi: the largest drawn size (16, 24
// or 32) not above 16 scaled, so a picture is never stretched.
int ToolbarImageSize(int dpi);

// The button size at a dpi: 23 x 22 at 96 dpi (a 16 px picture with the
// common controls' padding), scaled; the padding does not scale by itself, so
// the toolbar is told (TB_SETBUTTONSIZE). Pictures and buttons:
//   96 dpi: 16 px in 23 x 22    120 dpi: 16 px in 29 x 28
//   144 dpi: 24 px in 35 x 33   192 dpi: 32 px in 46 x 44
SIZE ToolbarButtonSize(int dpi);

// Fills the toolbar with its images and buttons and shows it. Returns 0 when
// the image list cannot be made.
int SetupToolbar(HWND toolbar);
