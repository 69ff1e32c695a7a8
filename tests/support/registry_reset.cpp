#include "tests/support/registry_reset.h"

#include <windows.h>
#include <aclapi.h>
#include <shlwapi.h>

namespace {

const wchar_t kOptions[] = L"Software\\Scrivlet\\Options";

// Gives the key back a default security descriptor, so it can be deleted.
void AllowOptionsKey()
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kOptions, 0, WRITE_DAC, &key) != ERROR_SUCCESS)
        return;
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
    RegCloseKey(key);
}

}  // namespace

void ResetScrivletRegistry()
{
    AllowOptionsKey();
    SHDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Scrivlet");
}

void DenyScrivletOptionsKey()
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kOptions, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    // An empty DACL grants nothing to anyone; the owner can still change it back.
    SECURITY_DESCRIPTOR descriptor;
    ACL acl;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    InitializeAcl(&acl, sizeof(acl), ACL_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, &acl, FALSE);
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
    RegCloseKey(key);
}
