#include "platform/dpi.h"

#include <windows.h>

int ScaledPixels(int px96, int dpi)
{
    return MulDiv(px96, dpi, kBaseDpi);
}

int ScreenDpi()
{
    static const int dpi = [] {
        HDC screen = GetDC(nullptr);
        int read = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
        if (screen)
            ReleaseDC(nullptr, screen);
        return read > 0 ? read : kBaseDpi;
    }();
    return dpi;
}

int LargestSizeNotAbove(int px96, int dpi, const int* sizes, int count)
{
    int wanted = ScaledPixels(px96, dpi);
    int chosen = sizes[0];
    for (int i = 0; i < count; ++i) {
        if (sizes[i] <= wanted)
            chosen = sizes[i];
    }
    return chosen;
}
