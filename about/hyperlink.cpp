#include "about/hyperlink.h"

#include <cwchar>

#include "platform/guard.h"

namespace {

const wchar_t kStateProperty[] = L"CLASSPOINTER";

template <typename Handle>
void DeleteAndForget(Handle& object)
{
    if (object)
        DeleteObject(object);
    object = nullptr;
}

}  // namespace

bool HyperlinkControl::Create(const HyperlinkParams& params)
{
    // A link the dialog did not release (it was destroyed some other way)
    // would otherwise leak its font, brush and text here.
    Release();
    if (!IsWindow(params.parent) || params.width <= 0 || params.height <= 0 || !params.face)
        return false;
    hovered_ = false;
    pointerOutside_ = 1;
    notifyParent_ = params.notifyParent;
    window_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, params.x, params.y, params.width, params.height,
                              params.parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(params.id)),
                              GetModuleHandleW(nullptr), nullptr);
    if (!window_)
        return false;
    if (!SetPropW(window_, kStateProperty, this))
        return false;
    // The STATIC procedure is dropped, not chained: default hit testing lets
    // the link receive the mouse although it has no SS_NOTIFY.
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc));
    font_ = CreateFontW(params.fontHeight, 0, 0, 0, params.bold ? FW_BOLD : FW_NORMAL, FALSE, params.underline, FALSE,
                        ANSI_CHARSET, 0, 0, 0, 0, params.face);
    if (!font_)
        return false;
    hasBackground_ = params.hasBackground;
    if (hasBackground_)
        backgroundBrush_ = CreateSolidBrush(params.backgroundColor);
    hasCursor_ = params.hasCursor;
    if (hasCursor_)
        cursor_ = params.cursor;
    normalColor_ = params.normalColor;
    hoverColor_ = params.hoverColor;
    backgroundColor_ = params.backgroundColor;
    if (params.clickCallback)
        clickCallback_ = params.clickCallback;
    const wchar_t* text = params.text ? params.text : L"";
    size_t length = wcslen(text) + 1;
    text_ = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, length * sizeof(wchar_t)));
    if (!text_)
        return false;
    wmemcpy(text_, text, length);
    userData_ = params.userData;
    return true;
}

void HyperlinkControl::Release()
{
    // The window goes first, so nothing paints with a deleted font or brush.
    if (window_)
        DestroyWindow(window_);
    window_ = nullptr;
    DeleteAndForget(font_);
    DeleteAndForget(backgroundBrush_);
    if (hasCursor_ && cursor_)
        DestroyCursor(cursor_);
    cursor_ = nullptr;
    if (text_)
        HeapFree(GetProcessHeap(), 0, text_);
    text_ = nullptr;
}

LRESULT CALLBACK HyperlinkControl::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    HyperlinkControl* link = static_cast<HyperlinkControl*>(GetPropW(window, kStateProperty));
    if (!link)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // Destroyed with its parent: forget the handle, which the system may
        // hand out again, so that Release never destroys another window.
        RemovePropW(window, kStateProperty);
        link->window_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return RunGuarded<LRESULT>(IsUserRequest(message), [&] { return link->HandleMessage(message, wParam, lParam); });
}

LRESULT HyperlinkControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_MOUSEMOVE:
        case WM_KILLFOCUS:
        case WM_CAPTURECHANGED:
            TrackPointer();
            break;
        case WM_PAINT:
            Paint();
            break;
        case WM_SETCURSOR:
            if (!hasCursor_)
                return FALSE;
            previousCursor_ = SetCursor(cursor_);
            return TRUE;
        case WM_LBUTTONDOWN:
            if (clickCallback_)
                clickCallback_(userData_);
            break;
        case WM_MOUSELEAVE:
            if (notifyParent_)
                PostMessageW(GetParent(window_), WM_MOUSELEAVE, reinterpret_cast<WPARAM>(this), 0);
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void HyperlinkControl::TrackPointer()
{
    POINT cursor;
    GetCursorPos(&cursor);
    RECT bounds;
    GetWindowRect(window_, &bounds);
    if (PtInRect(&bounds, cursor)) {
        TRACKMOUSEEVENT leave = {sizeof(leave), TME_LEAVE, window_, 0};
        TrackMouseEvent(&leave);
        // Keeps the moves coming after the pointer has left, to see it go.
        SetCapture(window_);
        hovered_ = true;
        if (pointerOutside_ == 1)
            Redraw();
        pointerOutside_ = 0;
    } else {
        ReleaseCapture();
        hovered_ = false;
        if (pointerOutside_ != 1)
            Redraw();
        pointerOutside_ = 1;
    }
    if (notifyParent_) {
        HWND parent = GetParent(window_);
        ScreenToClient(parent, &cursor);
        PostMessageW(parent, WM_MOUSEMOVE, 0, MAKELPARAM(cursor.x, cursor.y));
    }
}

void HyperlinkControl::Redraw()
{
    InvalidateRect(window_, nullptr, TRUE);
    UpdateWindow(window_);
    if (hasBackground_)
        return;
    HWND parent = GetParent(window_);
    RECT behind;
    GetWindowRect(window_, &behind);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&behind), 2);
    InvalidateRect(parent, &behind, FALSE);
    UpdateWindow(parent);
}

void HyperlinkControl::Paint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    RECT client;
    GetClientRect(window_, &client);
    if (hasBackground_) {
        FillRect(dc, &client, backgroundBrush_);
        SetBkColor(dc, backgroundColor_);
    } else {
        SetBkMode(dc, TRANSPARENT);
    }
    HGDIOBJ previousFont = SelectObject(dc, font_);
    SetTextColor(dc, hovered_ ? hoverColor_ : normalColor_);
    if (text_)
        DrawTextExW(dc, text_, -1, &client, DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_EDITCONTROL, nullptr);
    SelectObject(dc, previousFont);
    EndPaint(window_, &paint);
}
