// The one way a command reports a failure to the user.
#pragma once
#include <windows.h>

extern const wchar_t* const kErrorCaption;

// An error box over whatever window is in front, with only an OK button.
void ShowErrorMessage(const wchar_t* text);
