// The four most recently used files, kept in Software\Scrivlet\Recent of the
// settings' root (one value per file, named after it) and shown in the File
// menu, oldest first.
#pragma once
#include <windows.h>

extern const wchar_t* const kRecentKey;
extern const wchar_t* const kRecentOrderKey;

// Reads the entry at the walk cursor, in the order the entries were added, and
// advances the cursor. Returns 0, rewinding the cursor, at the end of the list
// or on any failure.
int NextRecentEntry(wchar_t* path, wchar_t* name, DWORD nameCapacity, DWORD pathCapacity);

// Reads the entry the menu shows under number (0 for IDM_RECENT1) into
// buffers of kPathCapacity characters. Returns 0 when there is none.
int ShownRecentEntry(int number, wchar_t* path, wchar_t* name);

// Adds or updates the entry for path and rebuilds the menu. Returns 0 when the
// path is empty or cannot be stored, also for want of memory; it never throws.
int AddRecentFile(HWND mainWindow, const wchar_t* path);

// Inserts the menu items for the current entries, or a grayed "[Empty]".
int RebuildRecentMenu(HWND mainWindow);
