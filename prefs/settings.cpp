#include "prefs/settings.h"

#include "prefs/registry.h"

const wchar_t* const kScrivletKey = L"Software\\Scrivlet";
const wchar_t* const kOptionsKey = L"Software\\Scrivlet\\Options";

namespace {

bool HasName(const wchar_t* name)
{
    return name && name[0];
}

// A user who may not change the machine's values still reads them: they are
// the administrator's defaults until the user stores his own.
template <typename Read>
int ReadOption(Read read)
{
    HKEY root = SettingsRoot();
    return read(root) || (root == HKEY_CURRENT_USER && read(HKEY_LOCAL_MACHINE));
}

}  // namespace

HKEY SettingsRoot()
{
    RegistryKey machine(HKEY_LOCAL_MACHINE, kScrivletKey, kWriteAccess);
    return machine.get() ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

int GetSettingDword(const wchar_t* name, DWORD* value)
{
    if (!HasName(name) || !value)
        return 0;
    *value = 0;
    ReadOption([&](HKEY root) { return RegistryGetDword(root, kOptionsKey, name, value); });
    return 1;
}

DWORD SettingDwordOr(const wchar_t* name, DWORD fallback)
{
    DWORD value = fallback;
    if (!HasName(name) || !ReadOption([&](HKEY root) { return RegistryGetDword(root, kOptionsKey, name, &value); }))
        return fallback;
    return value;
}

int GetSettingBinary(const wchar_t* name, void* buffer, DWORD size)
{
    if (!HasName(name) || !buffer || size == 0)
        return 0;
    return ReadOption([&](HKEY root) { return RegistryGetBinary(root, kOptionsKey, name, buffer, size); });
}

int SetSettingDword(const wchar_t* name, DWORD value)
{
    if (!HasName(name))
        return 0;
    return RegistrySetDword(SettingsRoot(), kOptionsKey, name, value);
}

int SetSettingBinary(const wchar_t* name, const void* buffer, DWORD size)
{
    if (!HasName(name) || !buffer || size == 0)
        return 0;
    return RegistrySetBinary(SettingsRoot(), kOptionsKey, name, buffer, size);
}

int OppositeOfStored(const wchar_t* name)
{
    DWORD stored = 0;
    GetSettingDword(name, &stored);
    return stored == 0 ? 1 : 0;
}
