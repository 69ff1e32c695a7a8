// The Scrivlet_Wnd main window: its class, the frame around the edit control,
// and the window procedure that hands each message to one handler.
#pragma once
#include <windows.h>

extern const wchar_t* const kMainWindowClass;

int RegisterMainWindowClass(WNDCLASSEXW* windowClass, HBRUSH background, HICON icon);

// Builds the hidden main window with its status bar, toolbar and edit control
// and applies the saved state. Returns null when any step fails.
HWND CreateMainFrame(HINSTANCE instance);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Places the status bar, toolbar and edit control for the current size.
LRESULT LayoutFrame(HWND mainWindow);

// The status-bar part right edges for a client area whose right edge is
// right: 460, 320, 220, 120 and 20 pixels from it at 96 dpi, scaled for dpi.
// With a lasting note, its part of 220 pixels comes last, before the
// 20 pixels of the grip, and the others move left to make room. Returns the
// number of parts, 5 or 6.
const int kStatusPartsMost = 7;
int StatusPartEdges(int right, int dpi, bool withNote, bool withZoom, int edges[kStatusPartsMost]);
// Lays out the status bar's parts for the current size, with the lasting
// note when there is one.
LRESULT LayoutStatusParts(HWND mainWindow);

// The side of the status icons at a dpi: 12 at 96 dpi, scaled, taken from
// the sizes the icons hold (12, 15, 18, 24) so that none is stretched.
int StatusIconSize(int dpi);

// Puts the help text of command id into status part 0.
void ShowHelpText(HWND mainWindow, UINT id);
LRESULT OnMenuSelect(HWND mainWindow, WPARAM wParam);
LRESULT OnNotify(HWND mainWindow, const NMHDR* header);
