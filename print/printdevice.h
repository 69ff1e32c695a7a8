// What printing and the preview take from the printer: its device context,
// the editor's font set on it, and the paper with the stored margins, all in
// the printer's units, so that both lay the text out alike.
#pragma once
#include <windows.h>

#include "print/pagesetup.h"
#include "print/printlayout.h"

// A printer device context, deleted on every return.
class PrinterDC {
public:
    explicit PrinterDC(HDC dc) : dc_(dc) {}
    ~PrinterDC()
    {
        if (dc_)
            DeleteDC(dc_);
    }
    PrinterDC(const PrinterDC&) = delete;
    PrinterDC& operator=(const PrinterDC&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// A font selected into a device context for the scope, then deleted.
class SelectedFont {
public:
    SelectedFont(HDC dc, HFONT font) : dc_(dc), font_(font), old_(font ? SelectObject(dc, font) : nullptr) {}
    ~SelectedFont()
    {
        if (font_) {
            SelectObject(dc_, old_);
            DeleteObject(font_);
        }
    }
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;
    HFONT get() const { return font_; }

private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ old_;
};

// The editor's font at the same point size on the printer as on the screen;
// null when there is none. Caller deletes it.
HFONT CreatePrinterFont(HDC dc);

// The selected font's measures; false when the device gives none.
bool MeasureFont(HDC dc, PrintFont* font);

// The device's paper with margins in hundredths of a millimetre.
PaperGeometry PaperOf(HDC dc, const PageMargins& margins);
