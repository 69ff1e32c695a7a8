// Takes all free address space below the system's own while it lives, so that
// no further large block can be allocated; small ones still come from the
// heap's existing pages.
#pragma once
#include <windows.h>

#include <vector>

class AddressSpaceTaken {
public:
    AddressSpaceTaken();
    ~AddressSpaceTaken();
    AddressSpaceTaken(const AddressSpaceTaken&) = delete;
    AddressSpaceTaken& operator=(const AddressSpaceTaken&) = delete;

private:
    std::vector<void*> blocks_;
};
