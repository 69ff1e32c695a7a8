// What the in-process frame tests read back from the real main window: status
// parts, children, menu marks, stored options; and how they give it a text.
#pragma once
#include <windows.h>

#include <string>

#include "tests/support/registry_reset.h"

std::wstring StatusPartText(HWND mainWindow, int part);
void SetStatusPartText(HWND mainWindow, int part, const wchar_t* text);

// The main window's direct children that carry the given id.
int ChildrenWithId(HWND mainWindow, int id);

bool MenuItemChecked(HWND mainWindow, UINT id);

// Hands text to the edit control as a whole buffer, as loading a file does,
// and waits until the control has taken it.
void GiveText(HWND mainWindow, const std::wstring& text);

// A window rectangle in the client coordinates of the main window.
RECT RectInParent(HWND child);
