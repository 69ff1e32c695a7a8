// The zoom of the document's text: the edit control shows EditFont scaled in
// steps of a tenth, for the life of the process; the stored font, printing
// and the settings keep the font as chosen.
#pragma once
#include <windows.h>

const int kZoomDefault = 100;
const int kZoomLeast = 10;
const int kZoomMost = 500;
const int kZoomStep = 10;

// The zoom shown, in percent.
extern int ZoomPercent;

// The zoom after one step in (direction 1) or out (-1), kept within the
// bounds; direction 0 restores the default.
int NextZoom(int percent, int direction);

// A font height (LOGFONT's lfHeight, not 0) at percent: rounded, with its
// sign, and never 0, which would ask for the default size.
LONG ZoomedFontHeight(LONG height, int percent);

// The status part's text, "\t120%".
void FormatZoomText(int percent, wchar_t* text);  // text holds 16

// The font the edit control shows: EditFont at the zoom. Owned here.
HFONT ShownEditFont();

// Gives edit the font for the zoom, made afresh from EditFont: after a zoom
// step and a font change. The selection and the character at the top of the
// view stay where they were.
void ApplyEditFont(HWND edit);

// The View menu's Zoom In (1), Zoom Out (-1) and Restore Default Zoom (0),
// and Ctrl with the mouse wheel. Returns 0.
LRESULT ZoomEdit(HWND mainWindow, int direction);

// Deletes the scaled font at exit, after the edit control's last use of it.
void DeleteZoomedFont();
