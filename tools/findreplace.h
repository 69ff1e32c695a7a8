// Find and replace.
#pragma once
#include <windows.h>

// The newest Find and Replace dialog, or null; the message loop routes its keys.
extern HWND FindReplaceDialog;

// Opens a further (modeless) Find and Replace dialog over mainWindow, seeded
// with the document's selection. Returns 0.
LRESULT ShowFindReplaceDialog(HWND mainWindow);

// Find Next (F3) and Find Previous (Shift+F3): the find text last searched
// for in this process, with the stored options, in the stored direction or
// against it; the dialog when nothing has been searched for yet. Returns 0.
LRESULT FindAgain(HWND mainWindow, bool reverse);

// F3 and Shift+F3 pressed in a Find and Replace dialog: it searches with its
// own text and options. True when the message was such a key.
bool HandleFindKeyInDialog(const MSG* message);

// The notes of status part 0: "Cannot find "TEXT"." with a find text of more
// than kNoteFindLength characters cut and followed by an ellipsis, and the
// count of Replace all. note holds kFindNoteCapacity.
const size_t kNoteFindLength = 50;
const size_t kFindNoteCapacity = 80;
void FormatCannotFindNote(const wchar_t* find, wchar_t* note);
void FormatReplacedNote(int count, wchar_t* note);

// What Replace all asks of the text rebuild.
struct ReplaceRequest {
    const wchar_t* SourceText;   // NUL-terminated
    wchar_t* ResultText;         // out: new NUL-terminated text; the caller frees it with free()
    int ResultLength;            // out: characters, without the terminator
    const wchar_t* FindText;     // NUL-terminated, not empty
    const wchar_t* ReplaceText;  // NUL-terminated, may be empty
    int CaseSensitive;           // 1: exact code units; 0: case-blind as StrStrIW
    int WholeWord;               // 1: only occurrences that are whole words
};

// Replaces every non-overlapping occurrence, left to right; inserted text is
// not searched again. Returns the number of replacements, 0 when there is none
// (nothing allocated), -1 for unusable input, a result too long to hold, or a
// failed allocation.
int BuildReplacedText(ReplaceRequest* request);
