// Display scaling: the pixel sizes the program sets itself, scaled by the
// screen's dpi over 96. The program is system-DPI-aware (its manifest says
// so), so it reads the screen's true dpi; at 96 every size stays as it was.
#pragma once

// The dpi at which every size in the code is given.
const int kBaseDpi = 96;

// px96, a size at 96 dpi, at the given dpi, rounded (MulDiv).
int ScaledPixels(int px96, int dpi);

// The screen's dpi (LOGPIXELSY), read once, on the first call, and kept.
int ScreenDpi();

// The largest of sizes (ascending, count of them) not above the scaled
// px96, or the smallest when all are above: a picture drawn at that size is
// shown as it is, never stretched.
int LargestSizeNotAbove(int px96, int dpi, const int* sizes, int count);
