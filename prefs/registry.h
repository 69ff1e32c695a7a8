// Registry primitives: each opens (creating if needed) root\subkey, does one
// thing and closes the key again, so nothing is cached between calls.
#pragma once
#include <windows.h>

// root\subkey opened with full access (created when missing) for one scope;
// get() is null when it cannot be opened.
class RegistryKey {
public:
    RegistryKey(HKEY root, const wchar_t* subkey)
    {
        if (RegCreateKeyExW(root, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key_,
                            nullptr) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~RegistryKey()
    {
        if (key_)
            RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// Reads take a value only when it has the type and size the program stores:
// a REG_DWORD of 4 bytes (anything else reads as 0), a REG_BINARY of exactly
// size bytes (anything else gives 0 and leaves the buffer as it was).
DWORD RegistryGetDword(HKEY root, const wchar_t* subkey, const wchar_t* name);
int RegistryGetBinary(HKEY root, const wchar_t* subkey, const wchar_t* name, void* buffer, DWORD size);
int RegistrySetDword(HKEY root, const wchar_t* subkey, const wchar_t* name, DWORD value);
int RegistrySetBinary(HKEY root, const wchar_t* subkey, const wchar_t* name, const void* buffer, DWORD size);
int RegistrySetString(HKEY root, const wchar_t* subkey, const wchar_t* name, const wchar_t* text);
int RegistryDeleteValue(HKEY root, const wchar_t* subkey, const wchar_t* name);
