// The preferences store: named values under Software\Scrivlet\Options of the
// machine, or of the user when the machine's key may not be changed.
// A DWORD that is missing or not stored as a 4-byte REG_DWORD reads as 0; a
// binary value counts only when it is a REG_BINARY of exactly the caller's size.
#pragma once
#include <windows.h>

extern const wchar_t* const kScrivletKey;
extern const wchar_t* const kOptionsKey;

// Where every setting and the recent-files list are written: HKLM when
// Software\Scrivlet there opens for writing (an administrator, a 32-bit
// program under Vista's registry virtualisation, Wine), else HKCU. Asked
// afresh each time, as every setting is.
HKEY SettingsRoot();

// Options read from the user's key first and the machine's second when the
// user's is where writes go.
int GetSettingDword(const wchar_t* name, DWORD* value);
int GetSettingBinary(const wchar_t* name, void* buffer, DWORD size);
// The DWORD stored under name, or fallback when none is stored: for the
// options that are on until the user turns them off.
DWORD SettingDwordOr(const wchar_t* name, DWORD fallback);
int SetSettingDword(const wchar_t* name, DWORD value);
int SetSettingBinary(const wchar_t* name, const void* buffer, DWORD size);

// For the toggles, which decide from the stored setting, not from the live
// window: 1 when name is stored as 0 or cannot be read (so the toggle
// switches on), else 0.
int OppositeOfStored(const wchar_t* name);
