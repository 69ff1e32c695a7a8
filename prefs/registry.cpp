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

}  // namespace

DWORD RegistryGetDword(HKEY root, const wchar_t* subkey, const wchar_t* name)
{
    RegistryKey key(root, subkey);
    if (!key.get())
        return 0;
    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof(value);
    if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
        return 0;
    return value;
}

int RegistryGetBinary(HKEY root, const wchar_t* subkey, const wchar_t* name, void* buffer, DWORD size)
{
    RegistryKey key(root, subkey);
    if (!key.get())
        return 0;
    DWORD type = 0;
    return RegQueryValueExW(key.get(), name, nullptr, &type, static_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS;
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
