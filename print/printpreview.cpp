#include "print/printpreview.h"

#include <algorithm>
#include <new>
#include <string>

#include "platform/dpi.h"
#include "platform/guard.h"
#include "platform/messages.h"
#include "platform/systemlibrary.h"
#include "print/pagecodes.h"
#include "print/pagesetup.h"
#include "print/previewplacement.h"
#include "print/printdevice.h"
#include "print/printdocument.h"
#include "print/printerchoice.h"
#include "print/printlayout.h"
#include "print/printpage.h"
#include "print/printsource.h"
#include "res/resource.h"

namespace {

const wchar_t kPreviewClass[] = L"Scrivlet_Preview";
const wchar_t kSheetClass[] = L"Scrivlet_PreviewSheet";
const wchar_t kPreviewFailed[] = L"Failed to show the print preview!";

// Rows laid out at a time while the preview waits for the user: a few
// hundredths of a second, so that a key is never kept waiting longer.
const size_t kRowsPerIdleStep = 2000;
const size_t kLastPage = static_cast<size_t>(-1);

// Sizes at 96 dpi.
const int kBarHeight = 32;
const int kButtonHeight = 24;
const int kSpacing = 6;
const int kPageGap = 12;
const int kScrollLine = 40;

struct BarControl {
    int id;
    const wchar_t* className;
    const wchar_t* text;
    int width;
};

const BarControl kBar[] = {
    {IDC_PREVIEWPREVIOUS, L"BUTTON", L"Pre&vious page", 100},
    {IDC_PREVIEWNEXT, L"BUTTON", L"&Next page", 100},
    {IDC_PREVIEWPAGENUMBER, L"STATIC", L"", 110},
    {IDC_PREVIEWZOOM, L"BUTTON", L"&Zoom", 70},
    {IDC_PREVIEWPRINT, L"BUTTON", L"&Print...", 70},
    {IDCANCEL, L"BUTTON", L"&Close", 70},
};

// The one preview open; its window runs a loop of its own, so there is
// never a second.
struct PreviewState {
    HWND window;
    HWND sheet;
    std::wstring text;
    HDC printer;  // an information context with printerFont selected
    HFONT printerFont;
    HGDIOBJ printerOldFont;
    HFONT screenFont;  // the printer font's record, for the screen's mapping
    PrintFont font;
    PaperGeometry paper;
    int printerDpiX;
    int printerDpiY;
    PrintLayout layout;
    PageValues values;
    std::wstring header;
    std::wstring footer;
    size_t page;
    bool actualSize;
    int scrollX;
    int scrollY;
    bool closing;
    bool printAsked;
};

PreviewState* Preview = nullptr;

size_t PagesLaidOut(const PreviewState& preview)
{
    const PrintLayout& layout = preview.layout;
    return (layout.rows.size() + layout.rowsPerPage - 1) / layout.rowsPerPage;
}

PreviewView ViewOf(const PreviewState& preview)
{
    RECT client = {};
    GetClientRect(preview.sheet, &client);
    return PreviewView{preview.paper.paperWidth,
                       preview.paper.paperHeight,
                       preview.printerDpiX,
                       preview.printerDpiY,
                       ScreenDpi(),
                       client.right,
                       client.bottom,
                       ScaledPixels(kPageGap, ScreenDpi()),
                       preview.actualSize,
                       preview.scrollX,
                       preview.scrollY};
}

// Keeps the scroll positions inside the page at 100 % and shows the bars
// only there; a bar hides itself when its page is the whole range.
void UpdateScrollBars(PreviewState& preview)
{
    PreviewView view = ViewOf(preview);
    PreviewPlacement placement = PlacePreviewPage(view);
    int largestX = preview.actualSize ? std::max(placement.contentWidth - view.clientWidth, 0) : 0;
    int largestY = preview.actualSize ? std::max(placement.contentHeight - view.clientHeight, 0) : 0;
    preview.scrollX = std::min(std::max(preview.scrollX, 0), largestX);
    preview.scrollY = std::min(std::max(preview.scrollY, 0), largestY);
    SCROLLINFO bar = {sizeof(bar), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
    bar.nMax = preview.actualSize ? placement.contentWidth - 1 : 0;
    bar.nPage = static_cast<UINT>(view.clientWidth);
    bar.nPos = preview.scrollX;
    SetScrollInfo(preview.sheet, SB_HORZ, &bar, TRUE);
    bar.nMax = preview.actualSize ? placement.contentHeight - 1 : 0;
    bar.nPage = static_cast<UINT>(view.clientHeight);
    bar.nPos = preview.scrollY;
    SetScrollInfo(preview.sheet, SB_VERT, &bar, TRUE);
    InvalidateRect(preview.sheet, nullptr, FALSE);
}

void ShowPageNumber(const PreviewState& preview)
{
    wchar_t text[256];
    if (preview.layout.complete)
        wsprintfW(text, L"Page %u of %u", static_cast<unsigned>(preview.page + 1),
                  static_cast<unsigned>(PageCount(preview.layout)));
    else
        wsprintfW(text, L"Page %u", static_cast<unsigned>(preview.page + 1));
    SetDlgItemTextW(preview.window, IDC_PREVIEWPAGENUMBER, text);
}

void EnableBarButton(const PreviewState& preview, int id, bool enabled)
{
    HWND button = GetDlgItem(preview.window, id);
    if (!enabled && GetFocus() == button)
        SetFocus(preview.sheet);
    EnableWindow(button, enabled);
}

// The page number and the buttons that page, as far as the layout reaches.
void ShowPageState(const PreviewState& preview)
{
    bool followed = preview.layout.rows.size() > (preview.page + 1) * preview.layout.rowsPerPage;
    EnableBarButton(preview, IDC_PREVIEWPREVIOUS, preview.page > 0);
    EnableBarButton(preview, IDC_PREVIEWNEXT, followed);
    ShowPageNumber(preview);
}

// Shows page (kLastPage for the last one), laying out what it needs and one
// row more, so that Next page knows whether a page follows.
void GoToPage(PreviewState& preview, size_t page)
{
    size_t rowCount = page == kLastPage ? kLastPage : (page + 1) * preview.layout.rowsPerPage + 1;
    LayOutRows(preview.text.c_str(), preview.font, rowCount, &preview.layout);
    preview.page = std::min(page, PagesLaidOut(preview) - 1);
    preview.scrollY = 0;
    ShowPageState(preview);
    UpdateScrollBars(preview);
}

// The page in the printer's units mapped onto its place on the screen, so
// that the printer's layout draws it as it draws the paper.
void PaintSheet(PreviewState& preview, HDC dc)
{
    RECT client = {};
    GetClientRect(preview.sheet, &client);
    HDC canvas = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, std::max<int>(client.right, 1), std::max<int>(client.bottom, 1));
    HGDIOBJ oldBitmap = SelectObject(canvas, bitmap);
    FillRect(canvas, &client, GetSysColorBrush(COLOR_APPWORKSPACE));
    RECT page = PlacePreviewPage(ViewOf(preview)).page;
    FillRect(canvas, &page, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FrameRect(canvas, &page, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

    int saved = SaveDC(canvas);
    IntersectClipRect(canvas, page.left, page.top, page.right, page.bottom);
    SetMapMode(canvas, MM_ANISOTROPIC);
    SetWindowExtEx(canvas, preview.paper.paperWidth, preview.paper.paperHeight, nullptr);
    SetViewportExtEx(canvas, page.right - page.left, page.bottom - page.top, nullptr);
    SetViewportOrgEx(canvas, page.left, page.top, nullptr);
    SetWindowOrgEx(canvas, -preview.paper.offsetX, -preview.paper.offsetY, nullptr);
    SelectObject(canvas, preview.screenFont);
    SetBkMode(canvas, TRANSPARENT);
    SetTextColor(canvas, RGB(0, 0, 0));
    PageValues values = preview.values;
    values.page = preview.page + 1;
    values.pageCount = preview.layout.complete ? PageCount(preview.layout) : kPageCountUnknown;
    DrawPage(canvas, preview.text.c_str(), preview.layout, preview.font, preview.page,
             ExpandPageCodes(preview.header, values), ExpandPageCodes(preview.footer, values));
    RestoreDC(canvas, saved);

    BitBlt(dc, 0, 0, client.right, client.bottom, canvas, 0, 0, SRCCOPY);
    SelectObject(canvas, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(canvas);
}

void Scroll(PreviewState& preview, int dx, int dy)
{
    preview.scrollX += dx;
    preview.scrollY += dy;
    UpdateScrollBars(preview);
}

// The new position a scroll bar asks for, from its current one.
int ScrollRequest(HWND sheet, int bar, WPARAM wParam, int position)
{
    SCROLLINFO info = {sizeof(info), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(sheet, bar, &info);
    int line = ScaledPixels(kScrollLine, ScreenDpi());
    switch (LOWORD(wParam)) {
        case SB_LINEUP:
            return position - line;
        case SB_LINEDOWN:
            return position + line;
        case SB_PAGEUP:
            return position - static_cast<int>(info.nPage);
        case SB_PAGEDOWN:
            return position + static_cast<int>(info.nPage);
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            return info.nTrackPos;
        case SB_TOP:
            return 0;
        case SB_BOTTOM:
            return info.nMax;
    }
    return position;
}

LRESULT SheetMessage(HWND sheet, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Messages of its creation come before the preview knows it.
    if (!Preview || Preview->sheet != sheet)
        return DefWindowProcW(sheet, message, wParam, lParam);
    PreviewState& preview = *Preview;
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(sheet, &paint);
            PaintSheet(preview, dc);
            EndPaint(sheet, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_SIZE:
            UpdateScrollBars(preview);
            return 0;
        case WM_HSCROLL:
            preview.scrollX = ScrollRequest(sheet, SB_HORZ, wParam, preview.scrollX);
            UpdateScrollBars(preview);
            return 0;
        case WM_VSCROLL:
            preview.scrollY = ScrollRequest(sheet, SB_VERT, wParam, preview.scrollY);
            UpdateScrollBars(preview);
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(sheet);
            return 0;
    }
    return DefWindowProcW(sheet, message, wParam, lParam);
}

LRESULT CALLBACK SheetProc(HWND sheet, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunGuarded<LRESULT>(IsUserRequest(message), [&] { return SheetMessage(sheet, message, wParam, lParam); });
}

void LayOutBar(const PreviewState& preview)
{
    RECT client = {};
    GetClientRect(preview.window, &client);
    int dpi = ScreenDpi();
    int bar = ScaledPixels(kBarHeight, dpi);
    int height = ScaledPixels(kButtonHeight, dpi);
    int x = ScaledPixels(kSpacing, dpi);
    for (const BarControl& control : kBar) {
        int width = ScaledPixels(control.width, dpi);
        // The page number's text sits on the buttons' middle line.
        int top = (bar - height) / 2 + (control.id == IDC_PREVIEWPAGENUMBER ? height / 4 : 0);
        MoveWindow(GetDlgItem(preview.window, control.id), x, top, width, height, TRUE);
        x += width + ScaledPixels(kSpacing, dpi);
    }
    MoveWindow(preview.sheet, 0, bar, client.right, std::max<int>(client.bottom - bar, 0), TRUE);
}

void Command(PreviewState& preview, int id)
{
    switch (id) {
        case IDC_PREVIEWPREVIOUS:
            GoToPage(preview, preview.page > 0 ? preview.page - 1 : 0);
            break;
        case IDC_PREVIEWNEXT:
            GoToPage(preview, preview.page + 1);
            break;
        case IDC_PREVIEWZOOM:
            preview.actualSize = !preview.actualSize;
            preview.scrollX = preview.scrollY = 0;
            UpdateScrollBars(preview);
            break;
        case IDC_PREVIEWPRINT:
            preview.printAsked = true;
            preview.closing = true;
            break;
        case IDCANCEL:
            preview.closing = true;
            break;
    }
}

LRESULT PreviewMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!Preview || Preview->window != window || !Preview->sheet)
        return DefWindowProcW(window, message, wParam, lParam);
    PreviewState& preview = *Preview;
    switch (message) {
        case WM_COMMAND:
            Command(preview, LOWORD(wParam));
            return 0;
        case WM_SIZE:
            LayOutBar(preview);
            return 0;
        case WM_CLOSE:
            preview.closing = true;
            return 0;
        case WM_SETFOCUS:
            SetFocus(preview.sheet);
            return 0;
        case WM_MOUSEWHEEL:
            if (preview.actualSize)
                Scroll(preview, 0, -GET_WHEEL_DELTA_WPARAM(wParam) * ScaledPixels(kScrollLine, ScreenDpi()) / 40);
            else
                Command(preview, GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? IDC_PREVIEWPREVIOUS : IDC_PREVIEWNEXT);
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK PreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunGuarded<LRESULT>(IsUserRequest(message), [&] { return PreviewMessage(window, message, wParam, lParam); });
}

// Keys that act as the bar's buttons.
struct CommandKey {
    WPARAM key;
    int id;
};
const CommandKey kCommandKeys[] = {{VK_NEXT, IDC_PREVIEWNEXT}, {VK_PRIOR, IDC_PREVIEWPREVIOUS}, {VK_ESCAPE, IDCANCEL}};

// At 100 %, the arrows scroll by a line.
struct ScrollKey {
    WPARAM key;
    int dx;
    int dy;
};
const ScrollKey kScrollKeys[] = {{VK_UP, 0, -1}, {VK_DOWN, 0, 1}, {VK_LEFT, -1, 0}, {VK_RIGHT, 1, 0}};

// The keys that page and scroll, wherever the focus is in the preview;
// false for a key the buttons' dialog handling takes (Tab, mnemonics).
bool HandlePreviewKey(PreviewState& preview, const MSG& message)
{
    if (message.message != WM_KEYDOWN || (message.hwnd != preview.window && !IsChild(preview.window, message.hwnd)))
        return false;
    if (message.wParam == VK_HOME || message.wParam == VK_END) {
        GoToPage(preview, message.wParam == VK_HOME ? 0 : kLastPage);
        return true;
    }
    for (const CommandKey& command : kCommandKeys) {
        if (message.wParam == command.key) {
            Command(preview, command.id);
            return true;
        }
    }
    if (!preview.actualSize)
        return false;
    for (const ScrollKey& scroll : kScrollKeys) {
        if (message.wParam == scroll.key) {
            int line = ScaledPixels(kScrollLine, ScreenDpi());
            Scroll(preview, scroll.dx * line, scroll.dy * line);
            return true;
        }
    }
    return false;
}

bool RegisterPreviewClasses()
{
    WNDCLASSEXW windowClass = {};
    if (GetClassInfoExW(GetModuleHandleW(nullptr), kPreviewClass, &windowClass))
        return true;
    windowClass.cbSize = sizeof(windowClass);
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpfnWndProc = SheetProc;
    windowClass.lpszClassName = kSheetClass;
    if (!RegisterClassExW(&windowClass))
        return false;
    windowClass.lpfnWndProc = PreviewProc;
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kPreviewClass;
    return RegisterClassExW(&windowClass) != 0;
}

// The printer's side: its context with the editor's font, measured, and the
// paper with the stored margins. False when there is no printer or font.
bool MeasurePrinter(PreviewState& preview)
{
    if (!LoadStoredPrinterSettings())
        return false;
    preview.printer = CreateChosenPrinterIC();
    if (!preview.printer)
        return false;
    preview.printerFont = CreatePrinterFont(preview.printer);
    if (!preview.printerFont)
        return false;
    preview.printerOldFont = SelectObject(preview.printer, preview.printerFont);
    LOGFONTW font;
    GetObjectW(preview.printerFont, sizeof(font), &font);
    preview.screenFont = CreateFontIndirectW(&font);
    preview.paper = PaperOf(preview.printer, StoredMargins());
    preview.printerDpiX = GetDeviceCaps(preview.printer, LOGPIXELSX);
    preview.printerDpiY = GetDeviceCaps(preview.printer, LOGPIXELSY);
    return preview.screenFont && MeasureFont(preview.printer, &preview.font);
}

bool CreatePreviewWindows(PreviewState& preview, HWND mainWindow)
{
    if (!RegisterPreviewClasses())
        return false;
    RECT frame = {};
    GetWindowRect(mainWindow, &frame);
    preview.window = CreateWindowExW(0, kPreviewClass, L"Print Preview", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                     frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
                                     mainWindow, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!preview.window)
        return false;
    HFONT barFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (const BarControl& control : kBar) {
        DWORD style = WS_CHILD | WS_VISIBLE | (control.id == IDC_PREVIEWPAGENUMBER ? SS_CENTER : WS_TABSTOP);
        HWND child = CreateWindowExW(0, control.className, control.text, style, 0, 0, 0, 0, preview.window,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
                                     GetModuleHandleW(nullptr), nullptr);
        if (!child)
            return false;
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(barFont), FALSE);
    }
    preview.sheet = CreateWindowExW(
        0, kSheetClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_HSCROLL | WS_VSCROLL, 0, 0, 0, 0, preview.window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PREVIEWSHEET)), GetModuleHandleW(nullptr), nullptr);
    return preview.sheet != nullptr;
}

// Lays out more of the text while no message waits; true when it did.
bool LayOutWhileIdle(PreviewState& preview)
{
    MSG message;
    if (preview.layout.complete || PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE))
        return false;
    LayOutRows(preview.text.c_str(), preview.font, preview.layout.rows.size() + kRowsPerIdleStep, &preview.layout);
    if (preview.layout.complete) {
        // The page count is known now: the number shown and &P.
        ShowPageState(preview);
        InvalidateRect(preview.sheet, nullptr, FALSE);
    }
    return true;
}

}  // namespace

HWND OpenPrintPreview(HWND mainWindow)
{
    // A command posted to the disabled main window still arrives: one
    // preview at a time.
    if (Preview || !BindSystemLibraryOrReport(SystemLibrary::CommonDialogs))
        return nullptr;
    Preview = new (std::nothrow) PreviewState();
    if (!Preview) {
        ShowErrorMessage(kPreviewFailed);
        return nullptr;
    }
    PreviewState& preview = *Preview;
    bool opened = false;
    try {
        opened = CopyDocumentText(mainWindow, &preview.text) && MeasurePrinter(preview) &&
                 CreatePreviewWindows(preview, mainWindow);
        if (opened) {
            preview.layout = BeginLayout(0, preview.text.size(), preview.font, preview.paper);
            preview.values = DocumentPageValues(kPageCountUnknown);
            preview.header = StoredHeader();
            preview.footer = StoredFooter();
            opened = preview.layout.rowsPerPage > 0;
        }
        if (opened) {
            EnableWindow(mainWindow, FALSE);
            LayOutBar(preview);
            GoToPage(preview, 0);
            ShowWindow(preview.window, SW_SHOW);
            SetFocus(preview.sheet);
            UpdateWindow(preview.window);
        }
    } catch (const std::bad_alloc&) {
        // The copy of a document too large for what is left.
        opened = false;
    }
    HWND window = preview.window;
    if (!opened) {
        ClosePrintPreview(window, mainWindow);
        ShowErrorMessage(kPreviewFailed);
        return nullptr;
    }
    return window;
}

bool RunPrintPreview(HWND preview)
{
    if (!Preview || Preview->window != preview)
        return false;
    while (!Preview->closing) {
        if (LayOutWhileIdle(*Preview))
            continue;
        MSG message;
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
            // Handed back to the main loop, which ends the program.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (HandlePreviewKey(*Preview, message) || IsDialogMessageW(preview, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return Preview->printAsked;
}

void ClosePrintPreview(HWND preview, HWND mainWindow)
{
    if (!Preview || Preview->window != preview)
        return;
    // Enabled first, so that the main window, not another program's, becomes
    // active when the preview goes.
    EnableWindow(mainWindow, TRUE);
    if (preview)
        DestroyWindow(preview);
    if (Preview->printer) {
        if (Preview->printerOldFont)
            SelectObject(Preview->printer, Preview->printerOldFont);
        DeleteDC(Preview->printer);
    }
    if (Preview->printerFont)
        DeleteObject(Preview->printerFont);
    if (Preview->screenFont)
        DeleteObject(Preview->screenFont);
    delete Preview;
    Preview = nullptr;
}

LRESULT ShowPrintPreview(HWND mainWindow)
{
    HWND preview = OpenPrintPreview(mainWindow);
    if (!preview)
        return 0;
    bool print = RunPrintPreview(preview);
    ClosePrintPreview(preview, mainWindow);
    if (print)
        PrintDocument(mainWindow);
    return 0;
}
