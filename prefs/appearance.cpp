#include "prefs/appearance.h"

#include <commdlg.h>

#include <cwchar>

#include <commctrl.h>

#include "platform/centerwindow.h"
#include "platform/dpi.h"
#include "platform/messages.h"
#include "platform/systemlibrary.h"
#include "prefs/recentfiles.h"
#include "prefs/settings.h"
#include "prefs/zoom.h"
#include "res/resource.h"

HFONT EditFont = nullptr;
HBRUSH EditBackBrush = nullptr;
COLORREF ForeCustomColors[16] = {};
COLORREF BackCustomColors[16] = {};

namespace {

const UINT kStatusPeriod = 200;

// Below a fifth of opaque the window can hardly be found again, so a start
// never goes below it; the slider still shows, and keeps, the stored value.
const BYTE kLeastStartingAlpha = 51;
// How much of the caption must lie on a work area for a stored placement to
// count: enough to see the window and drag it back (at 96 dpi; scaled).
const LONG kLeastCaptionWidth = 50;

// A stored placement is used only when it is the record the program writes,
// with a size SetWindowPos can take (stored extremes would overflow its ints).
bool IsPlacementRecord(const WINDOWPLACEMENT& placement)
{
    const RECT& r = placement.rcNormalPosition;
    return placement.length == sizeof(placement) && r.right > r.left && r.bottom > r.top &&
           static_cast<DWORD>(r.right) - static_cast<DWORD>(r.left) <= MAXLONG &&
           static_cast<DWORD>(r.bottom) - static_cast<DWORD>(r.top) <= MAXLONG;
}

// ...and only when a patch of its caption can be seen and grabbed there: one
// written by hand, or saved before a screen was unplugged, may lie on no
// monitor at all, or show no more than its bottom edge.
bool IsCaptionOnWorkArea(const RECT& frame)
{
    const LONG captionHeight = GetSystemMetrics(SM_CYCAPTION);
    RECT caption = frame;
    caption.bottom = frame.top + GetSystemMetrics(SM_CYSIZEFRAME) + captionHeight;
    HMONITOR monitor = MonitorFromRect(&caption, MONITOR_DEFAULTTONULL);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    RECT visible;
    return monitor && GetMonitorInfoW(monitor, &info) && IntersectRect(&visible, &caption, &info.rcWork) &&
           visible.right - visible.left >= ScaledPixels(kLeastCaptionWidth, ScreenDpi()) &&
           visible.bottom - visible.top >= captionHeight;
}

// How far the coordinates of a placement lie from the screen's, read off the
// window itself: on Windows they are those of the work area, which start past
// a taskbar at the top or the left; Wine gives screen coordinates.
POINT PlacementOffset(HWND window)
{
    WINDOWPLACEMENT current = {};
    current.length = sizeof(current);
    RECT screen;
    if (!GetWindowPlacement(window, &current) || !GetWindowRect(window, &screen))
        return POINT{0, 0};
    return POINT{screen.left - current.rcNormalPosition.left, screen.top - current.rcNormalPosition.top};
}

void ApplySavedPlacement(HWND mainWindow)
{
    static_assert(sizeof(void*) != 4 || sizeof(WINDOWPLACEMENT) == 44, "WINDOWPLACEMENT must be the 32-bit record");
    WINDOWPLACEMENT placement = {};
    if (GetSettingBinary(L"WindowPlacement", &placement, sizeof(placement)) && IsPlacementRecord(placement)) {
        RECT frame = placement.rcNormalPosition;
        const POINT offset = PlacementOffset(mainWindow);
        OffsetRect(&frame, offset.x, offset.y);
        // Given back in its own coordinates, the rectangle lands where it was
        // taken; SW_HIDE keeps the window hidden until its background brush
        // exists.
        placement.flags = 0;
        placement.showCmd = SW_HIDE;
        if (IsCaptionOnWorkArea(frame) && SetWindowPlacement(mainWindow, &placement))
            return;
    }
    CenterWindowOn(GetDesktopWindow(), mainWindow);
}

// Asked for a height it cannot make, the system still gives a font, but a
// tiny one (Wine's is one pixel high), so the made height is checked.
bool HasAskedHeight(HFONT font, LONG askedHeight)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICW metrics = {};
    BOOL measured = GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    DeleteDC(dc);
    // A negative height asks for the character height, a positive one for the
    // cell, 0 for the default; either way the cell is not far below it.
    LONGLONG asked = askedHeight < 0 ? -static_cast<LONGLONG>(askedHeight) : askedHeight;
    return measured && 2 * static_cast<LONGLONG>(metrics.tmHeight) >= asked;
}

// The stored font, or null when there is none that can be used: a record of
// the wrong size, a face name without its end, or a height beyond making.
HFONT CreateStoredEditFont()
{
    static_assert(sizeof(void*) != 4 || sizeof(LOGFONTW) == 92, "LOGFONTW must be the stored record");
    LOGFONTW font = {};
    if (!GetSettingBinary(L"Font", &font, sizeof(font)) || !wmemchr(font.lfFaceName, L'\0', LF_FACESIZE))
        return nullptr;
    HFONT made = CreateFontIndirectW(&font);
    if (made && !HasAskedHeight(made, font.lfHeight)) {
        DeleteObject(made);
        made = nullptr;
    }
    return made;
}

void ApplySavedOpacity(HWND mainWindow)
{
    DWORD opacity = 0;
    GetSettingDword(L"Opacity", &opacity);
    if (opacity >= 1 && opacity <= 254) {
        const BYTE alpha = opacity < kLeastStartingAlpha ? kLeastStartingAlpha : static_cast<BYTE>(opacity);
        if (!SetLayeredWindowAttributes(mainWindow, 0, alpha, LWA_ALPHA))
            ShowErrorMessage(L"Failed to set transparency for Scrivlet!!!");
    } else {
        LONG_PTR style = GetWindowLongPtrW(mainWindow, GWL_EXSTYLE);
        SetWindowLongPtrW(mainWindow, GWL_EXSTYLE, style & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    }
}

COLORREF StoredColor(const wchar_t* name, COLORREF fallback)
{
    COLORREF color = 0;
    return GetSettingBinary(name, &color, sizeof(color)) ? color : fallback;
}

// Runs the colour dialog from the stored colour (black when none) with the
// command's own custom colours; on OK stores the choice and returns true.
bool PickAndStoreColor(HWND mainWindow, const wchar_t* name, COLORREF* customColors, COLORREF* chosen)
{
    static_assert(sizeof(void*) != 4 || sizeof(CHOOSECOLORW) == 36, "CHOOSECOLORW must be the 32-bit record");
    if (!BindSystemLibraryOrReport(SystemLibrary::CommonDialogs))
        return false;
    CHOOSECOLORW request = {};
    request.lStructSize = sizeof(request);
    request.hwndOwner = mainWindow;
    request.rgbResult = StoredColor(name, RGB(0, 0, 0));
    request.lpCustColors = customColors;
    request.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!system_call::ChooseColorW(&request))
        return false;
    SetSettingBinary(name, &request.rgbResult, sizeof(request.rgbResult));
    *chosen = request.rgbResult;
    return true;
}

void RepaintEdit(HWND mainWindow)
{
    InvalidateRect(GetDlgItem(mainWindow, IDC_EDIT), nullptr, TRUE);
}

// Replaces font's face name by the face the system shows for it. The Font
// dialog lists installed faces only: opened on a face the system substitutes
// (Arial where it is missing), it would select the list's first face and
// size, and OK would change the font the user did not touch.
void ResolveShownFace(HWND window, LOGFONTW* font)
{
    HDC dc = GetDC(window);
    if (!dc)
        return;
    HGDIOBJ old = SelectObject(dc, EditFont);
    wchar_t face[LF_FACESIZE] = {};
    if (GetTextFaceW(dc, LF_FACESIZE, face) > 0)
        lstrcpynW(font->lfFaceName, face, LF_FACESIZE);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
}

}  // namespace

LRESULT ChooseForeColor(HWND mainWindow)
{
    COLORREF color;
    if (PickAndStoreColor(mainWindow, L"ForeColor", ForeCustomColors, &color))
        RepaintEdit(mainWindow);
    return 0;
}

LRESULT ChooseBackColor(HWND mainWindow)
{
    COLORREF color;
    if (!PickAndStoreColor(mainWindow, L"BackColor", BackCustomColors, &color))
        return 0;
    if (HBRUSH brush = CreateSolidBrush(color)) {
        DeleteObject(EditBackBrush);
        EditBackBrush = brush;
    }
    RepaintEdit(mainWindow);
    return 0;
}

LRESULT ChooseEditFont(HWND mainWindow)
{
    static_assert(sizeof(void*) != 4 || sizeof(CHOOSEFONTW) == 60, "CHOOSEFONTW must be the 32-bit record");
    if (!BindSystemLibraryOrReport(SystemLibrary::CommonDialogs))
        return 0;
    LOGFONTW font = {};
    GetObjectW(EditFont, sizeof(font), &font);
    ResolveShownFace(mainWindow, &font);
    CHOOSEFONTW request = {};
    request.lStructSize = sizeof(request);
    request.hwndOwner = mainWindow;
    request.lpLogFont = &font;
    request.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_NOVERTFONTS;
    request.nFontType = SCREEN_FONTTYPE;
    if (!system_call::ChooseFontW(&request))
        return 0;
    SetSettingBinary(L"Font", &font, sizeof(font));
    HFONT chosen = CreateFontIndirectW(&font);
    if (!chosen)
        return 0;
    // The control lets go of the old font before it is deleted.
    HFONT old = EditFont;
    EditFont = chosen;
    ApplyEditFont(GetDlgItem(mainWindow, IDC_EDIT));
    DeleteObject(old);
    return 0;
}

int DefaultEditFontHeight(int dpi)
{
    return ScaledPixels(14, dpi);
}

HFONT CreateDefaultEditFont()
{
    return CreateFontW(DefaultEditFontHeight(ScreenDpi()), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0,
                       0, 0, 0, L"Arial");
}

LRESULT ApplySavedState(HWND mainWindow)
{
    ApplySavedPlacement(mainWindow);

    EditFont = CreateStoredEditFont();
    if (!EditFont)
        EditFont = CreateDefaultEditFont();
    HWND edit = GetDlgItem(mainWindow, IDC_EDIT);
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(EditFont), TRUE);

    DWORD onTop = 0;
    GetSettingDword(L"Stayontop", &onTop);
    if (onTop)
        SetStayOnTop(mainWindow, 1);
    RebuildRecentMenu(mainWindow);
    ApplySavedOpacity(mainWindow);
    SendMessageW(edit, EM_LIMITTEXT, 0, 0);
    SendMessageW(mainWindow, WM_SIZE, 0, 0);
    SetFocus(edit);
    SetTimer(mainWindow, kStatusTimer, kStatusPeriod, nullptr);
    return 0;
}

void StoreWindowState(HWND mainWindow)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    if (GetWindowPlacement(mainWindow, &placement))
        SetSettingBinary(L"WindowPlacement", &placement, sizeof(placement));
    LOGFONTW font = {};
    if (GetObjectW(EditFont, sizeof(font), &font) == sizeof(font))
        SetSettingBinary(L"Font", &font, sizeof(font));
}

int SetStayOnTop(HWND mainWindow, int on)
{
    SendDlgItemMessageW(mainWindow, IDC_TOOLBAR, TB_CHECKBUTTON, IDM_STAYONTOP, on);
    SetWindowPos(mainWindow, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    CheckMenuItem(GetMenu(mainWindow), IDM_STAYONTOP, on ? MF_CHECKED : MF_UNCHECKED);
    return SetSettingDword(L"Stayontop", on ? 1 : 0);
}

LRESULT ToggleStayOnTop(HWND mainWindow)
{
    SetStayOnTop(mainWindow, OppositeOfStored(L"Stayontop"));
    return 0;
}

HBRUSH PrepareEditColors(HDC dc)
{
    SetTextColor(dc, StoredColor(L"ForeColor", RGB(0, 0, 0)));
    SetBkColor(dc, StoredColor(L"BackColor", GetSysColor(COLOR_WINDOW)));
    return EditBackBrush;
}
