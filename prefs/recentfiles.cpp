#include "prefs/recentfiles.h"

#include "document/documentstate.h"
#include "prefs/registry.h"
#include "res/resource.h"

const wchar_t* const kRecentKey = L"Software\\Scrivlet\\Recent";

namespace {

const int kMaxEntries = 4;
const UINT kFirstRecentPosition = 9;  // between the two separators above Exit

DWORD RecentCursor = 0;

HMENU FileMenu(HWND mainWindow)
{
    return GetSubMenu(GetMenu(mainWindow), 0);
}

void InsertMenuText(HMENU menu, UINT position, UINT id, wchar_t* text, UINT state)
{
    static_assert(sizeof(void*) != 4 || sizeof(MENUITEMINFOW) == 48, "MENUITEMINFOW must be the 32-bit record");
    MENUITEMINFOW item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_ID | MIIM_STRING | (state ? MIIM_STATE : 0);
    item.fType = MFT_STRING;
    item.fState = state;
    item.wID = id;
    item.dwTypeData = text;
    InsertMenuItemW(menu, position, TRUE, &item);
}

}  // namespace

int NextRecentEntry(wchar_t* path, wchar_t* name, DWORD nameCapacity, DWORD pathCapacity)
{
    DWORD nameLength = nameCapacity;
    DWORD pathBytes = pathCapacity * sizeof(wchar_t);
    // Zero-filled, so that a value stored without its terminator still ends
    // inside the buffer; one that fills it completely cannot be used.
    ZeroMemory(path, pathBytes);
    LONG result = ERROR_CANTOPEN;
    {
        RegistryKey key(HKEY_LOCAL_MACHINE, kRecentKey);
        if (key.get())
            result = RegEnumValueW(key.get(), RecentCursor, name, &nameLength, nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(path), &pathBytes);
    }
    if (result != ERROR_SUCCESS || path[pathCapacity - 1] != L'\0') {
        RecentCursor = 0;
        return 0;
    }
    ++RecentCursor;
    return 1;
}

void RewindRecentEntries()
{
    RecentCursor = 0;
}

int AddRecentFile(HWND mainWindow, const wchar_t* path)
{
    if (!path || !path[0])
        return 0;
    wchar_t entryPath[kPathCapacity], entryName[kPathCapacity], firstName[kPathCapacity] = L"";
    int count = 0;
    while (NextRecentEntry(entryPath, entryName, kPathCapacity, kPathCapacity)) {
        if (count == 0)
            lstrcpynW(firstName, entryName, kPathCapacity);
        ++count;
    }
    if (count == kMaxEntries)
        RegistryDeleteValue(HKEY_LOCAL_MACHINE, kRecentKey, firstName);
    wchar_t name[kPathCapacity];
    FileNameFromPath(path, name, kPathCapacity);
    if (!RegistrySetString(HKEY_LOCAL_MACHINE, kRecentKey, name, path))
        return 0;
    HMENU menu = FileMenu(mainWindow);
    for (UINT id = IDM_RECENT1; id <= IDM_RECENTEMPTY; ++id)
        RemoveMenu(menu, id, MF_BYCOMMAND);
    return RebuildRecentMenu(mainWindow);
}

int RebuildRecentMenu(HWND mainWindow)
{
    HMENU menu = FileMenu(mainWindow);
    wchar_t entryPath[kPathCapacity], entryName[kPathCapacity];
    int shown = 0;
    while (NextRecentEntry(entryPath, entryName, kPathCapacity, kPathCapacity)) {
        // Menu ids end at IDM_RECENT4; entries beyond the fourth stay off the menu.
        if (!entryPath[0] || shown == kMaxEntries)
            continue;
        wchar_t text[kPathCapacity + 3];  // "4) " and the longest name
        wsprintfW(text, L"%d) %s", shown + 1, entryName);
        InsertMenuText(menu, kFirstRecentPosition + shown, IDM_RECENT1 + shown, text, 0);
        ++shown;
    }
    if (shown == 0) {
        wchar_t empty[] = L"[Empty]";
        InsertMenuText(menu, kFirstRecentPosition, IDM_RECENTEMPTY, empty, MFS_GRAYED);
    }
    return 1;
}
