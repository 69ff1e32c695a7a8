// Find and replace.
#pragma once
#include <windows.h>

// The newest Find and Replace dialog, or null; the message loop routes its keys.
extern HWND FindReplaceDialog;

// Opens a further (modeless) Find and Replace dialog over mainWindow, seeded
// with the document's selection. Returns 0.
LRESULT ShowFindReplaceDialog(HWND mainWindow);

// What Replace all asks of the text rebuild.
struct ReplaceRequest {
    const wchar_t* SourceText;   // NUL-terminated
    wchar_t* ResultText;         // out: new NUL-terminated text; the caller frees it with free()
    int ResultLength;            // out: characters, without the terminator
    const wchar_t* FindText;     // NUL-terminated, not empty
    const wchar_t* ReplaceText;  // NUL-terminated, may be empty
    int CaseSensitive;           // 1: exact code units; 0: case-blind as StrStrIW
};

// Replaces every non-overlapping occurrence, left to right; inserted text is
// not searched again. Returns the number of replacements, 0 when there is none
// (nothing allocated), -1 for unusable input, a result too long to hold, or a
// failed allocation.
int BuildReplacedText(ReplaceRequest* request);
