#include "platform/paths.h"

#include <cwchar>

int FileNameFromPath(const wchar_t* path, wchar_t* destination, int capacity)
{
    if (!path || !path[0] || !destination || capacity <= 0)
        return -1;
    const wchar_t* name = path;
    // A backslash in the first position does not split: "\x.txt" stays whole.
    for (size_t i = wcslen(path) - 1; i >= 1; --i) {
        if (path[i] == L'\\') {
            name = path + i + 1;
            break;
        }
    }
    // Bounded by the capacity so that a short destination is never overrun.
    lstrcpynW(destination, name, capacity);
    return 0;
}

int CopyPath(const wchar_t* source, wchar_t* destination)
{
    if (!source || !source[0])
        return 0;
    wcscpy(destination, source);
    return 1;
}
