// A text link: a STATIC child window that takes over its own messages, draws
// its text in one colour and, while the pointer is over it, another, and calls
// back on a left button press.
#pragma once
#include <windows.h>

// How to make a link; the about dialog fills one each time it opens.
struct HyperlinkParams {
    HWND parent;  // must be a window
    UINT id;
    int x, y, width, height;  // pixels in the parent's client area; size above 0
    const wchar_t* face;      // must be given
    int fontHeight;
    bool bold, underline;
    COLORREF normalColor, hoverColor, backgroundColor;
    bool hasBackground;  // otherwise the text is drawn transparently
    bool hasCursor;
    HCURSOR cursor;  // with hasCursor the link owns it
    void (*clickCallback)(DWORD userData);
    const wchar_t* text;
    DWORD userData;
    bool notifyParent;  // forward WM_MOUSEMOVE and WM_MOUSELEAVE to the parent
};

// The state hangs on its window as the property CLASSPOINTER. One object may
// be created and released any number of times; it owns what it made.
class HyperlinkControl {
public:
    HyperlinkControl() = default;
    ~HyperlinkControl() { Release(); }
    HyperlinkControl(const HyperlinkControl&) = delete;
    HyperlinkControl& operator=(const HyperlinkControl&) = delete;

    // Makes the link window; false when the parameters are refused or a step
    // fails. What a failed create had made is freed by Release.
    bool Create(const HyperlinkParams& params);
    // Frees everything and forgets it, so a second release does nothing.
    void Release();
    HWND window() const { return window_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();
    void TrackPointer();
    void Redraw();

    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    HBRUSH backgroundBrush_ = nullptr;
    HCURSOR cursor_ = nullptr;
    HCURSOR previousCursor_ = nullptr;
    COLORREF normalColor_ = 0, hoverColor_ = 0, backgroundColor_ = 0;
    void (*clickCallback_)(DWORD) = nullptr;
    bool hasBackground_ = false;
    bool hovered_ = false;
    bool hasCursor_ = false;
    wchar_t* text_ = nullptr;
    DWORD pointerOutside_ = 0;
    DWORD userData_ = 0;
    bool notifyParent_ = false;
};
