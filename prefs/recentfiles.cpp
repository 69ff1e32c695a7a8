#include "prefs/recentfiles.h"

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "prefs/registry.h"
#include "prefs/settings.h"
#include "res/resource.h"

const wchar_t* const kRecentKey = L"Software\\Scrivlet\\Recent";
// The order of the entries, one REG_DWORD per entry name holding its place
// (1 for the oldest). The Recent values alone cannot carry it: the registry
// may enumerate them in any order (Wine sorts them by name). It lives in a key
// of its own because any further value in the Recent key would show up as an
// entry to a program that reads that key as it always was.
const wchar_t* const kRecentOrderKey = L"Software\\Scrivlet\\RecentOrder";

namespace {

const int kMaxEntries = 4;
const UINT kFirstRecentPosition = 12;  // between the two separators above Exit
// Values read from the Recent key; a key holding more (written by something
// else) is read as its first ones.
const int kReadLimit = 16;

DWORD RecentCursor = 0;

struct RecentEntry {
    wchar_t name[kPathCapacity];
    wchar_t path[kPathCapacity];
    DWORD place;  // 0 when the order does not know the entry
};

// Reads the value named name as a path that fits an entry; false for anything
// else, which this program did not write.
bool ReadPath(HKEY key, const wchar_t* name, DWORD type, DWORD bytes, wchar_t* path)
{
    if (type != REG_SZ || bytes > kPathCapacity * sizeof(wchar_t))
        return false;
    // Zero-filled, so that a value stored without its terminator still ends
    // inside the buffer; one that fills it completely cannot be used.
    ZeroMemory(path, kPathCapacity * sizeof(wchar_t));
    DWORD got = bytes;
    return RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(path), &got) == ERROR_SUCCESS &&
           type == REG_SZ && path[kPathCapacity - 1] == L'\0';
}

// The entries, oldest first. Those the order does not know (a list written
// before the order was kept, or changed by a program that does not keep it)
// follow the others in enumeration order; places of removed entries are
// ignored. Values that cannot be entries (not text, a name or path longer than
// a path) are left out, and named in unusable when it is given.
int ReadEntries(HKEY root, RecentEntry* entries, std::vector<std::wstring>* unusable)
{
    int count = 0;
    {
        RegistryKey key(root, kRecentKey, kReadAccess);
        if (!key.get())
            return 0;
        // Room for the longest name the registry allows, so that any value can
        // be named again to be removed.
        std::vector<wchar_t> name(16384);
        for (DWORD index = 0; count < kReadLimit; ++index) {
            DWORD nameLength = static_cast<DWORD>(name.size());
            DWORD type = 0;
            DWORD bytes = 0;
            if (RegEnumValueW(key.get(), index, name.data(), &nameLength, nullptr, &type, nullptr, &bytes) !=
                ERROR_SUCCESS)
                break;
            RecentEntry& entry = entries[count];
            if (nameLength < kPathCapacity && ReadPath(key.get(), name.data(), type, bytes, entry.path)) {
                lstrcpynW(entry.name, name.data(), kPathCapacity);
                ++count;
            } else if (unusable) {
                unusable->emplace_back(name.data(), nameLength);
            }
        }
    }
    for (int i = 0; i < count; ++i) {
        entries[i].place = 0;
        RegistryGetDword(root, kRecentOrderKey, entries[i].name, &entries[i].place);
    }
    std::stable_sort(entries, entries + count, [](const RecentEntry& a, const RecentEntry& b) {
        return (a.place ? a.place : MAXDWORD) < (b.place ? b.place : MAXDWORD);
    });
    return count;
}

void RewindRecentEntries()
{
    RecentCursor = 0;
}

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
    RecentEntry entries[kReadLimit];
    int count = ReadEntries(SettingsRoot(), entries, nullptr);
    if (RecentCursor >= static_cast<DWORD>(count) ||
        static_cast<DWORD>(lstrlenW(entries[RecentCursor].name)) >= nameCapacity ||
        static_cast<DWORD>(lstrlenW(entries[RecentCursor].path)) >= pathCapacity) {
        RecentCursor = 0;
        return 0;
    }
    lstrcpynW(name, entries[RecentCursor].name, nameCapacity);
    lstrcpynW(path, entries[RecentCursor].path, pathCapacity);
    ++RecentCursor;
    return 1;
}

int ShownRecentEntry(int number, wchar_t* path, wchar_t* name)
{
    int shown = 0;
    while (NextRecentEntry(path, name, kPathCapacity, kPathCapacity)) {
        // An entry without a path is not shown and takes no number.
        if (path[0] && shown++ == number) {
            RewindRecentEntries();
            return 1;
        }
    }
    return 0;
}

namespace {

// AddRecentFile, which may throw std::bad_alloc.
int StoreRecentFile(HWND mainWindow, const wchar_t* path)
{
    const HKEY root = SettingsRoot();
    RecentEntry entries[kReadLimit];
    std::vector<std::wstring> unusable;
    int count = ReadEntries(root, entries, &unusable);
    // Values that are no entry go first, or the key would grow with them.
    for (const std::wstring& value : unusable) {
        RegistryDeleteValue(root, kRecentKey, value.c_str());
        RegistryDeleteValue(root, kRecentOrderKey, value.c_str());
    }
    // The oldest entries make room, one for each addition to a full list (so
    // also when the file is in it already), more when something else added
    // entries beyond four.
    int first = 0;
    for (; count - first >= kMaxEntries; ++first) {
        RegistryDeleteValue(root, kRecentKey, entries[first].name);
        RegistryDeleteValue(root, kRecentOrderKey, entries[first].name);
    }
    wchar_t name[kPathCapacity];
    FileNameFromPath(path, name, kPathCapacity);
    if (!RegistrySetString(root, kRecentKey, name, path))
        return 0;
    // A file already in the list keeps its place; a new one comes last. The
    // places are written afresh, so that the order shown is the order kept.
    DWORD place = 0;
    bool listed = false;
    for (int i = first; i < count; ++i) {
        RegistrySetDword(root, kRecentOrderKey, entries[i].name, ++place);
        listed = listed || lstrcmpiW(entries[i].name, name) == 0;
    }
    if (!listed)
        RegistrySetDword(root, kRecentOrderKey, name, ++place);

    HMENU menu = FileMenu(mainWindow);
    for (UINT id = IDM_RECENT1; id <= IDM_RECENTEMPTY; ++id)
        RemoveMenu(menu, id, MF_BYCOMMAND);
    return RebuildRecentMenu(mainWindow);
}

}  // namespace

int AddRecentFile(HWND mainWindow, const wchar_t* path)
{
    if (!path || !path[0])
        return 0;
    // A loader calls this after the document has changed: running out of
    // memory must not leave that change half done.
    try {
        return StoreRecentFile(mainWindow, path);
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int RebuildRecentMenu(HWND mainWindow)
{
    HMENU menu = FileMenu(mainWindow);
    // Read once: a walk per shown entry read the whole list again each time,
    // which cost the start-up 8 ms with four files.
    RecentEntry entries[kReadLimit];
    int count = ReadEntries(SettingsRoot(), entries, nullptr);
    int shown = 0;
    // Menu ids end at IDM_RECENT4; entries beyond the fourth stay off the menu.
    for (int i = 0; i < count && shown < kMaxEntries; ++i) {
        // An entry without a path is not shown and takes no number.
        if (!entries[i].path[0])
            continue;
        wchar_t text[kPathCapacity + 3];  // "4) " and the longest name
        wsprintfW(text, L"%d) %s", shown + 1, entries[i].name);
        InsertMenuText(menu, kFirstRecentPosition + shown, IDM_RECENT1 + shown, text, 0);
        ++shown;
    }
    if (shown == 0) {
        wchar_t empty[] = L"[Empty]";
        InsertMenuText(menu, kFirstRecentPosition, IDM_RECENTEMPTY, empty, MFS_GRAYED);
    }
    return 1;
}
