// The boxes the program shows: failures, and the questions it asks. Every
// box is owned by a window of the program's own, never by whatever window is
// in front, so that it never disables another program's window while this
// one stays usable.
#pragma once
#include <windows.h>

extern const wchar_t* const kErrorCaption;
extern const wchar_t* const kPromptCaption;

// The main window, once it exists; until then boxes have no owner.
void SetBoxOwnerFrame(HWND mainWindow);
// The program's active window (the top dialog, else the main window) when
// the program is in front, else the window of the program last active.
HWND BoxOwner();

// A box over BoxOwner(); while the program is not in front, its taskbar
// button flashes until the user comes to it.
int ShowBox(const wchar_t* text, const wchar_t* caption, UINT type);
// A failure: the error caption and icon, only an OK button.
void ShowErrorMessage(const wchar_t* text);
// A question: the prompt caption and the warning icon, with buttons (and
// the default button) as given.
int AskUser(const wchar_t* text, UINT buttons);
