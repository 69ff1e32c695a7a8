// Another process of this program, started the way the shell starts it.
#pragma once
#include <windows.h>

// Starts this program's own file again with parameters (null for none);
// false when it could not be started.
bool StartOwnProgram(HWND owner, const wchar_t* parameters);
