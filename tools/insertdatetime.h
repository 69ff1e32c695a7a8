// Insertion of the current date and time.
#pragma once
#include <windows.h>

// The newest Insert time/date dialog, or null; the message loop routes its keys.
extern HWND InsertDateTimeDialog;
