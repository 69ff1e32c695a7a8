// What the screen shows of a window, read back from the screen itself.
#pragma once
#include <windows.h>

#include <vector>

// The pixels (0x00RRGGBB, top row first) of the part of window's client area
// that lies on the screen.
std::vector<DWORD> ScreenPixels(HWND window);
