// Registry primitives: each opens (creating if needed) root\subkey, does one
// thing and closes the key again, so nothing is cached between calls.
#pragma once
#include <windows.h>

DWORD RegistryGetDword(HKEY root, const wchar_t* subkey, const wchar_t* name);
int RegistryGetBinary(HKEY root, const wchar_t* subkey, const wchar_t* name, void* buffer, DWORD size);
int RegistrySetDword(HKEY root, const wchar_t* subkey, const wchar_t* name, DWORD value);
int RegistrySetBinary(HKEY root, const wchar_t* subkey, const wchar_t* name, const void* buffer, DWORD size);
int RegistrySetString(HKEY root, const wchar_t* subkey, const wchar_t* name, const wchar_t* text);
int RegistryDeleteValue(HKEY root, const wchar_t* subkey, const wchar_t* name);
