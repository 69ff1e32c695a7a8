#include "platform/centerwindow.h"

void CenterWindowOn(HWND reference, HWND window)
{
    RECT outer, moved;
    GetWindowRect(reference, &outer);
    GetWindowRect(window, &moved);
    int x = outer.left + (outer.right - outer.left) / 2 - (moved.right - moved.left) / 2;
    int y = outer.top + (outer.bottom - outer.top) / 2 - (moved.bottom - moved.top) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
