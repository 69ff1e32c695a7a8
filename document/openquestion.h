// The question asked before opening a file whose text the edit control
// takes long to lay out. The control lays a text out in one call that
// nothing can interrupt, and the window does not answer meanwhile, so the
// user decides first, knowing the size and the time it takes. Word wrap on
// a file over 500 KB is asked about in the same box: on Windows a wrapped
// layout is much slower.
#pragma once
#include <windows.h>

// Seconds the control takes to lay out a megabyte of text, with word wrap
// off and on, measured on each build with scripts/bench --layout.
struct LayoutSpeed {
    double wrapOff;
    double wrapOn;
};
extern const LayoutSpeed kThisBuildsLayoutSpeed;

// A layout expected to take longer than this asks first.
const double kFewSeconds = 5;

enum class OpenQuestion {
    None,
    WordWrap,                // wrap on over 500 KB, laid out in a few seconds: turn it off?
    LongLayout,              // open it, knowing how long it takes?
    LongLayoutWithWordWrap,  // the same, and whether to turn wrap off first
};

double ExpectedLayoutSeconds(ULONGLONG size, bool wrapOn, const LayoutSpeed& speed);
OpenQuestion QuestionBeforeOpen(ULONGLONG size, bool wrapOn, const LayoutSpeed& speed);

// "8 seconds", "3 minutes", "1.5 hours": a time the way a user reads it.
void FormatDuration(double seconds, wchar_t* text);

enum class OpenAnswer { Open, OpenWithWrapOff, DontOpen };

// Asks what QuestionBeforeOpen says, in one box over the program, and
// returns the answer; Open when nothing is to be asked.
OpenAnswer AskBeforeOpen(ULONGLONG size, bool wrapOn);
