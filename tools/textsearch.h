// Finding the find text in the document: exactly, or case-blind as StrStrIW
// matches, without asking the platform at every position.
#pragma once
#include <windows.h>

#include <cstddef>

// The first occurrence of find (findLength code units, not 0) that starts at
// or after text and ends at or before end, where end points at the text's
// terminator; null when there is none. caseSensitive 0 finds what StrStrIW
// finds on this platform, in the calling thread's locale.
const wchar_t* FindOccurrence(const wchar_t* text, const wchar_t* end, const wchar_t* find, size_t findLength,
                              int caseSensitive);

// How the case-blind search treats a code unit in the calling thread's
// locale: 0 when it leaves every comparison that involves the unit to the
// platform, 1 when the platform's comparison ignores the unit, otherwise a
// class number shared by exactly the units the platform holds equal to it.
// Also 0 for every unit while the locale's sort joins letters together.
unsigned CaseBlindClass(wchar_t unit);
