// Registry primitives: each opens (creating if needed) root\subkey, does one
// thing and closes the key again, so nothing is cached between calls.
#pragma once
#include <windows.h>

// The rights a read and a write need, and no more: a standard user holds
// these on keys he may change, but not the rest of KEY_ALL_ACCESS.
const REGSAM kReadAccess = KEY_QUERY_VALUE;
const REGSAM kWriteAccess = KEY_QUERY_VALUE | KEY_SET_VALUE;

// root\subkey opened (created when missing) for one scope; get() is null when
// it cannot be had with that access. A read-only key still opens for reading.
class RegistryKey {
public:
    RegistryKey(HKEY root, const wchar_t* subkey, REGSAM access = kWriteAccess)
    {
        if (RegCreateKeyExW(root, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key_, nullptr) !=
            ERROR_SUCCESS)
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
// a REG_DWORD of 4 bytes, a REG_BINARY of exactly size bytes. Anything else
// gives 0 and leaves the value or buffer as it was.
int RegistryGetDword(HKEY root, const wchar_t* subkey, const wchar_t* name, DWORD* value);
int RegistryGetBinary(HKEY root, const wchar_t* subkey, const wchar_t* name, void* buffer, DWORD size);
int RegistrySetDword(HKEY root, const wchar_t* subkey, const wchar_t* name, DWORD value);
int RegistrySetBinary(HKEY root, const wchar_t* subkey, const wchar_t* name, const void* buffer, DWORD size);
int RegistrySetString(HKEY root, const wchar_t* subkey, const wchar_t* name, const wchar_t* text);
int RegistryDeleteValue(HKEY root, const wchar_t* subkey, const wchar_t* name);
