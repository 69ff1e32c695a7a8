// Moves the document between a file and the edit control. The text never
// exists outside the control: the loader builds the control's next buffer and
// the writer reads the current one in place.
#pragma once
#include <windows.h>

#include <vector>

// Files above this size, opened while word wrap is on, prompt to turn wrap off.
const DWORD kLargeFileThreshold = 512000;

// Reads path into the edit control of mainWindow. Returns 1 on success, 0 when
// the file cannot be opened or read whole; on failure the document is left as
// it was. Sets *isModified to 0 and *isUnicode to the file's format on success.
int Scrivlet_ReadFile(HWND mainWindow, const wchar_t* path, int* isModified, int* isUnicode);

// Writes the control's text to path, UTF-16LE with a byte-order mark when
// unicode is nonzero, else in the ANSI code page. The old contents are replaced
// only once the new ones are complete on disk. Returns 1 on success, 0 on
// failure (the file is then unchanged).
int Scrivlet_WriteFile(HWND mainWindow, const wchar_t* path, int* isModified, int unicode, int* isUnicode);

// True exactly for files of at least two bytes that start with FF FE.
bool IsUnicodeFileText(const BYTE* bytes, DWORD size);

// The bytes to store for text: UTF-16LE behind a byte-order mark, or the
// code page's own multi-byte form, sized by the converter so nothing is cut.
bool EncodeText(const wchar_t* text, int length, bool unicode, UINT codePage, std::vector<BYTE>& bytes);

// The movable block the edit control takes as its buffer: the text decoded
// from the file bytes, with one zero code unit behind it. Caller frees.
HLOCAL BuildTextBlock(const BYTE* bytes, DWORD size, bool unicode);
