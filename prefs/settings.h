// The preferences store: named values under HKLM\Software\Scrivlet\Options.
// A missing DWORD reads as 0; a binary value counts only when it was found
// and fits the caller's buffer.
#pragma once
#include <windows.h>

extern const wchar_t* const kOptionsKey;

int GetSettingDword(const wchar_t* name, DWORD* value);
int GetSettingBinary(const wchar_t* name, void* buffer, DWORD size);
int SetSettingDword(const wchar_t* name, DWORD value);
int SetSettingBinary(const wchar_t* name, const void* buffer, DWORD size);
