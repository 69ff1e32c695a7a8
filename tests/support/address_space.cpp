#include "tests/support/address_space.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/boxes_in_thread.h"

namespace {

std::vector<void*> WithRoomFor(size_t count)
{
    std::vector<void*> blocks;
    blocks.reserve(count);
    return blocks;
}

// Under 32-bit Wine the X11 driver's Unix side shares the address space and
// reads each event the display sends into fresh memory; without it the
// connection fails and the whole test program ends. A window made just
// before (a dialog, a box) still has events coming, so they are read while
// there is room: until the queue has stayed empty for a while.
void SettleWindowEvents()
{
    const DWORD quietMs = 50, longestMs = 1000;
    DWORD start = GetTickCount(), lastMessage = start;
    while (GetTickCount() - lastMessage < quietMs && GetTickCount() - start < longestMs) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
            lastMessage = GetTickCount();
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

}  // namespace

AddressSpaceTaken::AddressSpaceTaken()
{
    SettleWindowEvents();
    // The list needs its room before the space is gone: one entry per block of
    // the largest size, of which a 64-bit process has up to 2^19.
    blocks_.reserve(sizeof(void*) == 4 ? 1u << 16 : 1u << 20);
    for (SIZE_T chunk = 256u << 20; chunk >= 64u << 10; chunk /= 2) {
        while (void* block = VirtualAlloc(nullptr, chunk, MEM_RESERVE, PAGE_NOACCESS))
            blocks_.push_back(block);
    }
}

AddressSpaceTaken::~AddressSpaceTaken()
{
    for (void* block : blocks_)
        VirtualFree(block, 0, MEM_RELEASE);
}

MemoryTaken::MemoryTaken(size_t smallest) : blocks_(WithRoomFor(1u << 16))
{
    for (size_t size = 64u << 10; size >= smallest; size /= 2) {
        while (blocks_.size() < blocks_.capacity()) {
            void* block = malloc(size);
            if (!block)
                break;
            blocks_.push_back(block);
        }
    }
}

MemoryTaken::~MemoryTaken()
{
    for (void* block : blocks_)
        free(block);
}

std::wstring LastBoxWithAddressSpaceTaken(const std::function<void()>& act)
{
    // Wine maps the library that draws a box's icon on first use; with no
    // address space left it could not, and would abort the test program.
    HMODULE iconDrawing = LoadLibraryW(L"msimg32.dll");
    BoxesAnsweredInThread boxes;
    if (!iconDrawing || !boxes.active()) {
        ADD_FAILURE() << "message boxes cannot be answered";
        return L"";
    }
    {
        AddressSpaceTaken taken;
        void* probe = malloc(1 << 20);
        if (probe) {
            free(probe);
            ADD_FAILURE() << "the address space could not be exhausted";
        }
        act();
    }
    FreeLibrary(iconDrawing);
    return boxes.seen();
}
