// Printing: the whole document on the first local printer, in the printer's
// default font, one row per line (long lines cut into pieces), under a centred
// header with the file name and page number on every page.
#pragma once
#include <windows.h>

#include <cstddef>
#include <functional>

// The printer's default font and printable area, in device units.
struct PrintMetrics {
    int charHeight;        // tmHeight
    int externalLeading;   // tmExternalLeading
    int averageCharWidth;  // tmAveCharWidth
    int printableWidth;    // HORZRES
    int printableHeight;   // VERTRES
};

// Row 0 of a page holds the header, row 1 stays empty and text fills rows 2 up
// to pageLimit - 1.
struct PageLayout {
    int rowPitch;
    unsigned charsPerRow;
    unsigned pageLimit;
};

const unsigned kFirstTextRow = 2;

// Returns 0 when the metrics leave no room for one character per row or one
// text row per page (the page would have to be cut off or divided by zero).
int ComputePageLayout(const PrintMetrics& metrics, PageLayout* layout);

// Called for each printed row: the row on the current page and the characters
// to draw there (count may be 0 for an empty line).
using DrawRowFn = std::function<void(unsigned row, const wchar_t* chars, size_t count)>;
// Called to end the current page and begin the next.
using NewPageFn = std::function<void()>;

// Lays length characters of text out into rows, starting on a page that is
// already begun: lines end at "\r\n" only; a line longer than charsPerRow is
// cut into pieces of charsPerRow characters, each without its leading spaces,
// and what is left after the whole pieces prints as a line of its own. Never
// reads past the end of a line or of the text.
void LayOutText(const wchar_t* text, size_t length, const PageLayout& layout, const DrawRowFn& drawRow,
                const NewPageFn& newPage);

// Room for the longest header: a name of MAX_PATH characters and its page.
const int kPageHeaderCapacity = 1024;

// Writes "name, page N" for the file name of path ("Untitled" stays as it is)
// into text, kPageHeaderCapacity characters, and returns its length; 0 and the
// empty text for a missing or empty path.
int PageHeaderText(const wchar_t* path, int page, wchar_t* text);

// Draws the page header centred on row 0; draws nothing for a missing path.
void PrintPageHeader(HDC dc, int printableWidth, const wchar_t* path, int page);

// Prints the document of mainWindow's edit control on the first local printer,
// or shows "Failed to print!" when no job can be started. Returns 0.
LRESULT PrintDocument(HWND mainWindow);
