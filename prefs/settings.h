// The preferences store: named values under HKLM\Software\Scrivlet\Options.
// A DWORD that is missing or not stored as a 4-byte REG_DWORD reads as 0; a
// binary value counts only when it is a REG_BINARY of exactly the caller's size.
#pragma once
#include <windows.h>

extern const wchar_t* const kOptionsKey;

int GetSettingDword(const wchar_t* name, DWORD* value);
int GetSettingBinary(const wchar_t* name, void* buffer, DWORD size);
int SetSettingDword(const wchar_t* name, DWORD value);
int SetSettingBinary(const wchar_t* name, const void* buffer, DWORD size);
