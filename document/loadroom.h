// Whether a file's text can be held, decided from the file's size before
// anything is read: a load that runs out of memory half-way leaves the
// program crawling through the page file, or the 32-bit program's address
// space in pieces.
#pragma once
#include <windows.h>

// What the system can still give this process: the smaller of the two is
// the limit (GlobalMemoryStatusEx's ullAvailVirtual and ullAvailPageFile).
struct MemoryRoom {
    ULONGLONG availableVirtual;
    ULONGLONG availablePageFile;
};
MemoryRoom MemoryRoomNow();

// All that holding a file of size bytes takes at once: its bytes while they
// are decoded, the UTF-16 text (one unit a byte, as most files need), the
// edit control's own account of its lines, the recovery copy's room (a
// second text) and the edit history's budget (32 MB, or a third text when
// that is larger).
ULONGLONG LoadNeeds(ULONGLONG fileSize);
// The largest file whose load the room holds, and whether this one's does.
ULONGLONG LargestFileFor(const MemoryRoom& room);
bool RoomForFile(ULONGLONG fileSize, const MemoryRoom& room);

// "1.9 GB", "540 MB" or "12 KB": a size the way a user reads it.
void FormatFileSize(ULONGLONG bytes, wchar_t* text);
