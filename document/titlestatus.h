// The title bar and the four document parts of the status bar.
#pragma once
#include <windows.h>

#include "document/encoding.h"

const int kStatusTextCapacity = 256;

// The icons of the saved state, loaded at start-up and destroyed at exit.
extern HICON IDI_SAVED;
extern HICON IDI_UNSAVED;

int UpdateTitle(HWND mainWindow, const wchar_t* path, const int* isModified);
LRESULT UpdateStatusBar(HWND mainWindow, HICON savedIcon, HICON unsavedIcon);
int RefreshTitleAndStatus(HWND mainWindow);
// Puts a note for the user into status part 0, where help texts go.
void ShowStatusNote(HWND mainWindow, const wchar_t* text);
// A note that must stay in sight until it is taken away (null): it has a
// status part of its own, kLastingNotePart, after the document's parts,
// which help texts, resizes and the notes of part 0 leave alone.
const int kLastingNotePart = 5;
void ShowLastingStatusNote(HWND mainWindow, const wchar_t* text);
// The note shown, or null.
const wchar_t* LastingStatusNote();

// The texts, apart from the windows that show them.
void FormatTitleText(const wchar_t* name, int isModified, wchar_t* text);  // text holds 1024
void FormatPositionText(DWORD selectionStart, DWORD selectionEnd, int line, DWORD lineStart, wchar_t* text);
void FormatSizeText(int count, wchar_t* text);
// The encoding part: "\tANSI" (the code page's name, see AnsiEncodingName),
// "\tUNICODE" (UTF-16LE with its mark) or a short name for the others, with
// the line ends when they are not CR LF. False for an encoding the program
// does not know, which leaves the part.
bool FormatEncodingText(const TextFormat& format, UINT codePage, wchar_t* text);
