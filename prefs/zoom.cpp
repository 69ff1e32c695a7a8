#include "prefs/zoom.h"

#include <cwchar>

#include "platform/framemessages.h"
#include "prefs/appearance.h"
#include "res/resource.h"

int ZoomPercent = kZoomDefault;

namespace {

// EditFont scaled, or null while the zoom is the default.
HFONT ZoomedFont = nullptr;

HFONT CreateZoomedFont(int percent)
{
    LOGFONTW font = {};
    if (percent == kZoomDefault || GetObjectW(EditFont, sizeof(font), &font) != sizeof(font) || font.lfHeight == 0)
        return nullptr;
    font.lfHeight = ZoomedFontHeight(font.lfHeight, percent);
    return CreateFontIndirectW(&font);
}

// Scrolls so that the character at offset is in the top line again.
void ScrollToTop(HWND edit, LRESULT offset)
{
    const LRESULT line = SendMessageW(edit, EM_LINEFROMCHAR, offset, 0);
    const LRESULT top = SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
    if (line != top)
        SendMessageW(edit, EM_LINESCROLL, 0, line - top);
}

}  // namespace

int NextZoom(int percent, int direction)
{
    if (direction == 0)
        return kZoomDefault;
    // A zoom off the steps goes to the next step in the direction.
    int next = direction > 0 ? (percent / kZoomStep + 1) * kZoomStep
                             : (percent + kZoomStep - 1) / kZoomStep * kZoomStep - kZoomStep;
    if (next < kZoomLeast)
        next = kZoomLeast;
    if (next > kZoomMost)
        next = kZoomMost;
    return next;
}

LONG ZoomedFontHeight(LONG height, int percent)
{
    const LONGLONG magnitude = height < 0 ? -static_cast<LONGLONG>(height) : height;
    LONGLONG scaled = (magnitude * percent + 50) / 100;
    if (scaled < 1)
        scaled = 1;
    if (scaled > MAXLONG)
        scaled = MAXLONG;
    return height < 0 ? -static_cast<LONG>(scaled) : static_cast<LONG>(scaled);
}

void FormatZoomText(int percent, wchar_t* text)
{
    wsprintfW(text, L"\t%d%%", percent);
}

HFONT ShownEditFont()
{
    return ZoomedFont ? ZoomedFont : EditFont;
}

void ApplyEditFont(HWND edit)
{
    HFONT made = CreateZoomedFont(ZoomPercent);
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const LRESULT topLine = SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
    const LRESULT topOffset = SendMessageW(edit, EM_LINEINDEX, topLine, 0);
    SendMessageW(edit, WM_SETREDRAW, FALSE, 0);
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(made ? made : EditFont), FALSE);
    // The control lets go of the old font before it is deleted.
    if (ZoomedFont)
        DeleteObject(ZoomedFont);
    ZoomedFont = made;
    SendMessageW(edit, EM_SETSEL, start, end);
    if (topOffset >= 0)
        ScrollToTop(edit, topOffset);
    SendMessageW(edit, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(edit, nullptr, TRUE);
}

LRESULT ZoomEdit(HWND mainWindow, int direction)
{
    const int next = NextZoom(ZoomPercent, direction);
    if (next == ZoomPercent)
        return 0;
    ZoomPercent = next;
    ApplyEditFont(GetDlgItem(mainWindow, IDC_EDIT));
    // The frame lays the status parts out, with the zoom's part or without it.
    SendMessageW(mainWindow, WM_SCRIVLET_LAYOUTSTATUS, 0, 0);
    return 0;
}

void DeleteZoomedFont()
{
    if (ZoomedFont)
        DeleteObject(ZoomedFont);
    ZoomedFont = nullptr;
}
