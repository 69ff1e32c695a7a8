// Moves the document between a file and the edit control. The text never
// exists outside the control: the loader builds the control's next buffer and
// the writer reads the current one in place.
#pragma once
#include <windows.h>

#include <cstddef>
#include <memory>

// Files above this size, opened while word wrap is on, prompt to turn wrap off.
const DWORD kLargeFileThreshold = 512000;

// Reads path into the edit control of mainWindow. Returns 1 on success, 0 when
// the file cannot be opened or read whole or there is no memory to hold it; on
// failure the document is left as it was. Sets *isModified to 0 and *isUnicode to the file's format on success.
int Scrivlet_ReadFile(HWND mainWindow, const wchar_t* path, int* isModified, int* isUnicode);

// Writes the control's text to path, UTF-16LE with a byte-order mark when
// unicode is nonzero, else in the ANSI code page; the Unicode form is written
// from the control's buffer as it stands. The old contents give way only once
// the new ones are complete on disk, and every name of the file (hard links)
// sees the new ones. Returns 1 on success, 0 on failure (the file is then
// unchanged).
int Scrivlet_WriteFile(HWND mainWindow, const wchar_t* path, int* isModified, int unicode, int* isUnicode);

// True exactly for files of at least two bytes that start with FF FE.
bool IsUnicodeFileText(const BYTE* bytes, DWORD size);

// The code page's own multi-byte form of length units of text, sized by the
// converter so that nothing is cut; *size is its length in bytes. False when
// it cannot be converted or there is no memory for it.
bool EncodeAnsiText(const wchar_t* text, size_t length, UINT codePage, std::unique_ptr<char[]>* bytes, int* size);
