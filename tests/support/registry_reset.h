// Every test starts from a machine on which Scrivlet has never run.
#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

void ResetScrivletRegistry();

// Makes HKLM\Software\Scrivlet\Options impossible to open with full access, as
// for a user without the rights to write machine-wide settings.
void DenyScrivletOptionsKey();

// The same for HKLM\Software\Scrivlet\Recent, the recent-files list.
void DenyScrivletRecentKey();

// Lets everyone read HKLM\Software\Scrivlet and the keys under it, and no one
// change them, as the machine's keys stand for a standard user.
void MakeScrivletMachineKeysReadOnly();

// The recent-files list as stored under root: value names and paths, in
// stored order.
std::vector<std::pair<std::wstring, std::wstring>> RecentEntries(HKEY root = HKEY_LOCAL_MACHINE);
void AddRecentEntry(const std::wstring& name, const std::wstring& path);
void AddRecentValue(const std::wstring& name, DWORD type, const std::string& bytes);
void RemoveRecentEntry(const std::wstring& name);

// The DWORD stored under the options key, read past the program's own store;
// false when the value is missing or not a DWORD.
bool StoredOption(const wchar_t* name, DWORD* value);
void StoreOption(const wchar_t* name, DWORD value);
