// Where the preview puts the page in its window: the whole page scaled to
// fit, or the page at its size on paper (100 %), scrolled.
#pragma once
#include <windows.h>

struct PreviewView {
    int paperWidth;  // in the printer's units
    int paperHeight;
    int printerDpiX;
    int printerDpiY;
    int screenDpi;
    int clientWidth;  // the page area of the window
    int clientHeight;
    int gap;  // kept around the page
    bool actualSize;
    int scrollX;  // at 100 %: how far the view is scrolled
    int scrollY;
};

struct PreviewPlacement {
    RECT page;         // in the page area's coordinates
    int contentWidth;  // the page and its gaps, for the scroll ranges
    int contentHeight;
};

// The whole page keeps its proportions on paper and is centred; at 100 % it
// takes its size in inches at the screen's dpi, centred where it is narrower
// or lower than the area, scrolled where it is larger.
PreviewPlacement PlacePreviewPage(const PreviewView& view);
