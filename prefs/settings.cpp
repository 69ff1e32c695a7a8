#include "prefs/settings.h"

#include "prefs/registry.h"

const wchar_t* const kOptionsKey = L"Software\\Scrivlet\\Options";

namespace {

bool HasName(const wchar_t* name)
{
    return name && name[0];
}

}  // namespace

int GetSettingDword(const wchar_t* name, DWORD* value)
{
    if (!HasName(name) || !value)
        return 0;
    *value = RegistryGetDword(HKEY_LOCAL_MACHINE, kOptionsKey, name);
    return 1;
}

int GetSettingBinary(const wchar_t* name, void* buffer, DWORD size)
{
    if (!HasName(name) || !buffer || size == 0)
        return 0;
    return RegistryGetBinary(HKEY_LOCAL_MACHINE, kOptionsKey, name, buffer, size);
}

int SetSettingDword(const wchar_t* name, DWORD value)
{
    if (!HasName(name))
        return 0;
    return RegistrySetDword(HKEY_LOCAL_MACHINE, kOptionsKey, name, value);
}

int SetSettingBinary(const wchar_t* name, const void* buffer, DWORD size)
{
    if (!HasName(name) || !buffer || size == 0)
        return 0;
    return RegistrySetBinary(HKEY_LOCAL_MACHINE, kOptionsKey, name, buffer, size);
}
