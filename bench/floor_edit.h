// The floor the program's edit control is measured against: a bare EDIT
// control with the program's styles and default font, given its text whole
// with EM_SETHANDLE and nothing else.
#pragma once
#include <windows.h>

#include <string>

// A top-level window whose client area is exactly an EDIT control of the
// given styles, size and font. Returns the control; the window is its parent.
HWND CreateFloorEdit(DWORD style, DWORD exStyle, int width, int height, HFONT font);

// The file's text as the control's next buffer: UTF-16LE behind FF FE, else
// the ANSI code page. Null when the file cannot be read.
HLOCAL ReadFloorText(const std::wstring& path);

// Hands block to the control, which lays it out before this returns.
void HandFloorText(HWND edit, HLOCAL block);
