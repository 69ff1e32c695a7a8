#include "tests/support/address_space.h"

AddressSpaceTaken::AddressSpaceTaken()
{
    // The list of blocks needs room too: a few thousand pointers at most.
    blocks_.reserve(1 << 16);
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
