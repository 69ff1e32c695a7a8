// Finding the find text in the document: exactly, or case-blind as StrStrIW
// matches, without asking the platform at every position; as a whole word or
// anywhere; down or up from the selection, wrapping around or not.
#pragma once
#include <windows.h>

#include <cstddef>

struct SearchOptions {
    int CaseSensitive;  // 1: exact code units; 0: case-blind as StrStrIW
    int WholeWord;      // 1: no letter, digit or underscore right before or after
    int WrapAround;     // 1: past one end, go on from the other
    int Up;             // 1: towards the start of the text
};

struct SearchHit {
    bool Found;
    bool Wrapped;  // found only after passing an end of the text
    size_t Start;  // of the match, when found
};

// The next occurrence of find (findLength code units, not 0) in text
// (length code units) from the selection [selectionStart, selectionEnd):
// down, the first one that starts at or after its end; up, the last one that
// ends at or before its start. Wrapping around, the search goes on from the
// other end up to where it began.
SearchHit FindNextMatch(const wchar_t* text, size_t length, size_t selectionStart, size_t selectionEnd,
                        const wchar_t* find, size_t findLength, const SearchOptions& options);

// The first occurrence of find in [from, to) that passes the whole-word
// rule when asked (wholeWord), looking at text's units outside the range
// too; null when there is none. text..end is the whole text.
const wchar_t* FindWordOccurrence(const wchar_t* text, const wchar_t* end, const wchar_t* from, const wchar_t* to,
                                  const wchar_t* find, size_t findLength, int caseSensitive, int wholeWord);

// A letter, digit or underscore for the whole-word rule; either half of a
// surrogate pair counts as a letter.
bool IsWordUnit(wchar_t unit);

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
