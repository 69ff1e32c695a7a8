#include "tests/support/address_space.h"

#include <cstdlib>

namespace {

std::vector<void*> WithRoomFor(size_t count)
{
    std::vector<void*> blocks;
    blocks.reserve(count);
    return blocks;
}

}  // namespace

AddressSpaceTaken::AddressSpaceTaken()
{
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
