#include "prefs/registry.h"

#include <cwchar>

namespace {

int SetValue(HKEY root, const wchar_t* subkey, const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    RegistryKey key(root, subkey);
    if (!key.get())
        return 0;
    return RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

// Every stored value has one type and one size; anything else under its name
// (written by hand, by another program, or cut short) reads as absent. The
// size is asked first, so such a value never lands in part of the buffer.
bool ReadExactly(HKEY root, const wchar_t* subkey, const wchar_t* name, DWORD wantedType, void* buffer, DWORD size)
{
    RegistryKey key(root, subkey, kReadAccess);
    if (!key.get())
        return false;
    DWORD type = 0;
    DWORD stored = 0;
    if (RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &stored) != ERROR_SUCCESS || type != wantedType ||
        stored != size)
        return false;
    return RegQueryValueExW(key.get(), name, nullptr, &type, static_cast<BYTE*>(buffer), &stored) == ERROR_SUCCESS &&
           type == wantedType && stored == size;
}

}  // namespace

int RegistryGetDword(HKEY root, const wchar_t* subkey, const wchar_t* name, DWORD* value)
{
    return ReadExactly(root, subkey, name, REG_DWORD, value, sizeof(*value));
}

int RegistryGetBinary(HKEY root, const wchar_t* subkey, const wchar_t* name, void* buffer, DWORD size)
{
    return ReadExactly(root, subkey, name, REG_BINARY, buffer, size);
}

int RegistrySetDword(HKEY root, const wchar_t* subkey, const wchar_t* name, DWORD value)
{
    return SetValue(root, subkey, name, REG_DWORD, &value, sizeof(value));
}

int RegistrySetBinary(HKEY root, const wchar_t* subkey, const wchar_t* name, const void* buffer, DWORD size)
{
    return SetValue(root, subkey, name, REG_BINARY, buffer, size);
}

int RegistrySetString(HKEY root, const wchar_t* subkey, const wchar_t* name, const wchar_t* text)
{
    DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
    return SetValue(root, subkey, name, REG_SZ, text, bytes);
}

int RegistryDeleteValue(HKEY root, const wchar_t* subkey, const wchar_t* name)
{
    RegistryKey key(root, subkey);
    if (!key.get())
        return 0;
    return RegDeleteValueW(key.get(), name) == ERROR_SUCCESS;
}
