// What the in-process frame tests read back from the real main window: status
// parts, children, menu marks, stored options; and how they give it a text.
#pragma once
#include <windows.h>

#include <string>

std::wstring StatusPartText(HWND mainWindow, int part);
void SetStatusPartText(HWND mainWindow, int part, const wchar_t* text);

// The main window's direct children that carry the given id.
int ChildrenWithId(HWND mainWindow, int id);

bool MenuItemChecked(HWND mainWindow, UINT id);

// The DWORD stored under the options key, read past the program's own store;
// false when the value is missing.
bool StoredOption(const wchar_t* name, DWORD* value);
void StoreOption(const wchar_t* name, DWORD value);

// Hands text to the edit control as a whole buffer, as loading a file does,
// and waits until the control has taken it.
void GiveText(HWND mainWindow, const std::wstring& text);

// A window rectangle in the client coordinates of the main window.
RECT RectInParent(HWND child);
