// Placing a dialog or window over another.
#pragma once
#include <windows.h>

// Moves window so that its centre lies over the centre of reference.
void CenterWindowOn(HWND reference, HWND window);
