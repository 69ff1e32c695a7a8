#include "tests/support/registry_reset.h"

#include <windows.h>
#include <aclapi.h>
#include <shlwapi.h>

namespace {

const wchar_t kScrivlet[] = L"Software\\Scrivlet";
const wchar_t kOptions[] = L"Software\\Scrivlet\\Options";
const wchar_t kRecent[] = L"Software\\Scrivlet\\Recent";
// What the .TXT association writes under HKEY_CLASSES_ROOT: the extension (a
// fresh prefix has no .txt key) and the ProgIDs of the program and of the test
// programs that associate in-process.
const wchar_t* const kAssociationKeys[] = {L".TXT", L"scrivlet", L"scrivlet_unit_tests", L"scrivlet_e2e_tests"};

// Gives the key back a default security descriptor, so it can be deleted.
void AllowKey(const wchar_t* subkey)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subkey, 0, WRITE_DAC, &key) != ERROR_SUCCESS)
        return;
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
    RegCloseKey(key);
}

// Gives the key a DACL that grants everyone the rights in allowed alone (none
// when 0); the owner can still change it back.
void RestrictKey(const wchar_t* subkey, REGSAM allowed)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, subkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    BYTE aclBytes[256];
    ACL* acl = reinterpret_cast<ACL*>(aclBytes);
    InitializeAcl(acl, sizeof(aclBytes), ACL_REVISION);
    if (allowed)
        AddAccessAllowedAce(acl, ACL_REVISION, allowed, everyone);
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
    FreeSid(everyone);
    RegCloseKey(key);
}

const wchar_t* const kMachineKeys[] = {kScrivlet, kOptions, kRecent, L"Software\\Scrivlet\\RecentOrder"};

}  // namespace

void ResetScrivletRegistry()
{
    for (const wchar_t* key : kMachineKeys)
        AllowKey(key);
    SHDeleteKeyW(HKEY_LOCAL_MACHINE, kScrivlet);
    SHDeleteKeyW(HKEY_CURRENT_USER, kScrivlet);
    for (const wchar_t* key : kAssociationKeys)
        SHDeleteKeyW(HKEY_CLASSES_ROOT, key);
}

void DenyScrivletOptionsKey()
{
    RestrictKey(kOptions, 0);
}

void DenyScrivletRecentKey()
{
    RestrictKey(kRecent, 0);
}

void MakeScrivletMachineKeysReadOnly()
{
    for (const wchar_t* key : kMachineKeys)
        RestrictKey(key, KEY_READ);
}

std::vector<std::pair<std::wstring, std::wstring>> RecentEntries(HKEY root)
{
    std::vector<std::pair<std::wstring, std::wstring>> entries;
    HKEY key;
    if (RegOpenKeyExW(root, kRecent, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return entries;
    for (DWORD index = 0;; ++index) {
        wchar_t name[512];
        wchar_t path[512] = {};
        DWORD nameLength = 512;
        DWORD pathBytes = sizeof(path) - sizeof(wchar_t);
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, nullptr, reinterpret_cast<BYTE*>(path), &pathBytes) !=
            ERROR_SUCCESS)
            break;
        entries.emplace_back(name, path);
    }
    RegCloseKey(key);
    return entries;
}

void AddRecentEntry(const std::wstring& name, const std::wstring& path)
{
    AddRecentValue(name, REG_SZ,
                   std::string(reinterpret_cast<const char*>(path.c_str()), (path.size() + 1) * sizeof(wchar_t)));
}

void AddRecentValue(const std::wstring& name, DWORD type, const std::string& bytes)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRecent, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExW(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
}

void RemoveRecentEntry(const std::wstring& name)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRecent, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueW(key, name.c_str());
    RegCloseKey(key);
}

bool StoredOption(const wchar_t* name, DWORD* value)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kOptions, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD size = sizeof(*value);
    LONG result = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_DWORD;
}

void StoreOption(const wchar_t* name, DWORD value)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kOptions, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
}
