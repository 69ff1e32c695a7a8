#include "document/loadroom.h"

namespace {

const ULONGLONG kHistoryBudget = 32ull << 20;

ULONGLONG Usable(const MemoryRoom& room)
{
    return room.availableVirtual < room.availablePageFile ? room.availableVirtual : room.availablePageFile;
}

}  // namespace

MemoryRoom MemoryRoomNow()
{
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof(status);
    // A system that cannot say refuses nothing for it.
    MemoryRoom room = {~0ull, ~0ull};
    if (GlobalMemoryStatusEx(&status)) {
        room.availableVirtual = status.ullAvailVirtual;
        room.availablePageFile = status.ullAvailPageFile;
    }
    return room;
}

ULONGLONG LoadNeeds(ULONGLONG fileSize)
{
    const ULONGLONG text = 2 * fileSize;
    const ULONGLONG controlsLines = fileSize / 4;
    const ULONGLONG history = text > kHistoryBudget ? text : kHistoryBudget;
    return fileSize + text + controlsLines + text + history;
}

ULONGLONG LargestFileFor(const MemoryRoom& room)
{
    // LoadNeeds grows by 7.25 bytes a byte once the text passes the
    // history's budget, and by 5.25 below it.
    const ULONGLONG usable = Usable(room);
    if (usable <= kHistoryBudget)
        return 0;
    const ULONGLONG small = (usable - kHistoryBudget) * 4 / 21;
    if (2 * small <= kHistoryBudget)
        return small;
    return usable * 4 / 29;
}

bool RoomForFile(ULONGLONG fileSize, const MemoryRoom& room)
{
    return LoadNeeds(fileSize) <= Usable(room);
}

void FormatFileSize(ULONGLONG bytes, wchar_t* text)
{
    const ULONGLONG kMegabyte = 1ull << 20, kGigabyte = 1ull << 30;
    if (bytes >= kGigabyte)
        wsprintfW(text, L"%u.%u GB", static_cast<unsigned>(bytes / kGigabyte),
                  static_cast<unsigned>(bytes % kGigabyte * 10 / kGigabyte));
    else if (bytes >= kMegabyte)
        wsprintfW(text, L"%u MB", static_cast<unsigned>(bytes / kMegabyte));
    else
        wsprintfW(text, L"%u KB", static_cast<unsigned>((bytes + 1023) / 1024));
}
