#include "print/printdevice.h"

#include "platform/dpi.h"
#include "prefs/appearance.h"

HFONT CreatePrinterFont(HDC dc)
{
    LOGFONTW font;
    if (!EditFont || GetObjectW(EditFont, sizeof(font), &font) != sizeof(font))
        return nullptr;
    font.lfHeight = MulDiv(font.lfHeight, GetDeviceCaps(dc, LOGPIXELSY), ScreenDpi());
    font.lfWidth = MulDiv(font.lfWidth, GetDeviceCaps(dc, LOGPIXELSX), ScreenDpi());
    return CreateFontIndirectW(&font);
}

bool MeasureFont(HDC dc, PrintFont* font)
{
    TEXTMETRICW metrics;
    if (!GetTextMetricsW(dc, &metrics))
        return false;
    font->lineHeight = static_cast<int>(metrics.tmHeight + metrics.tmExternalLeading);
    font->tabWidth = 8 * static_cast<int>(metrics.tmAveCharWidth);
    font->widths.assign(0x10000, 0);
    return GetCharWidth32W(dc, 0, 0xFFFF, font->widths.data()) != 0;
}

PaperGeometry PaperOf(HDC dc, const PageMargins& margins)
{
    int dpiX = GetDeviceCaps(dc, LOGPIXELSX);
    int dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    const int hundredthsPerInch = 2540;
    return PaperGeometry{GetDeviceCaps(dc, PHYSICALWIDTH),
                         GetDeviceCaps(dc, PHYSICALHEIGHT),
                         GetDeviceCaps(dc, PHYSICALOFFSETX),
                         GetDeviceCaps(dc, PHYSICALOFFSETY),
                         GetDeviceCaps(dc, HORZRES),
                         GetDeviceCaps(dc, VERTRES),
                         MulDiv(static_cast<int>(margins.left), dpiX, hundredthsPerInch),
                         MulDiv(static_cast<int>(margins.top), dpiY, hundredthsPerInch),
                         MulDiv(static_cast<int>(margins.right), dpiX, hundredthsPerInch),
                         MulDiv(static_cast<int>(margins.bottom), dpiY, hundredthsPerInch)};
}
