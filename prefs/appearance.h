// The edit control's colours and font, and the window state carried across runs.
#pragma once
#include <windows.h>

// The timer that refreshes the status bar: started here, stopped at exit.
const UINT kStatusTimer = 1;

extern HFONT EditFont;        // made by ApplySavedState, deleted at exit
extern HBRUSH EditBackBrush;  // made at start-up, deleted at exit

// Each colour dialog's own custom colours, kept for the life of the process.
extern COLORREF ForeCustomColors[16];
extern COLORREF BackCustomColors[16];

// The View commands: each runs the platform's dialog from the stored choice and,
// on OK, stores the new one and applies it to the edit control.
LRESULT ChooseForeColor(HWND mainWindow);
LRESULT ChooseBackColor(HWND mainWindow);
LRESULT ChooseEditFont(HWND mainWindow);

// Applies the stored placement, font, stay-on-top state, recent files and
// opacity to the new frame, then starts the status timer.
LRESULT ApplySavedState(HWND mainWindow);

// Stores the window's placement and the edit font, for the next start.
void StoreWindowState(HWND mainWindow);

// Keeps the main window above all others, or not, and stores the choice.
// Returns what storing it returned.
int SetStayOnTop(HWND mainWindow, int on);
LRESULT ToggleStayOnTop(HWND mainWindow);

// Gives the edit control's device context the stored colours.
HBRUSH PrepareEditColors(HDC dc);

// The default edit font when none is stored: Arial, height 14 at 96 dpi
// (scaled for the screen's dpi), normal weight. A stored font is a LOGFONT in
// pixels and is used as it was chosen.
int DefaultEditFontHeight(int dpi);
HFONT CreateDefaultEditFont();
