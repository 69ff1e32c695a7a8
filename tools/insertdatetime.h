// Insertion of the current date and time: a modeless dialog lists the local
// time in seven fixed English formats and inserts the chosen one at the caret.
#pragma once
#include <windows.h>

#include <array>
#include <string>

// The newest Insert time/date dialog, or null; the message loop routes its keys.
extern HWND InsertDateTimeDialog;

const int kDateTimeTextCount = 7;

// Built-in English names (not the system's locale); empty when out of range.
const wchar_t* DayName(int dayOfWeek);  // 0 is Sunday
const wchar_t* MonthName(int month);    // 1 is January

// The texts offered for a local time, from the top of the list down.
std::array<std::wstring, kDateTimeTextCount> DateTimeTexts(const SYSTEMTIME& time);

// Opens a new dialog over mainWindow; shows an error box when it cannot.
LRESULT ShowInsertDateTimeDialog(HWND mainWindow);
