// Takes all free address space below the system's own while it lives, so that
// no further large block can be allocated; small ones still come from the
// heap's existing pages.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
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

// Takes the address space and then what the heap's pages still hold in
// blocks of smallest bytes and more, so that no such block can be had while
// it lives; the system's own small allocations still succeed.
class MemoryTaken {
public:
    explicit MemoryTaken(size_t smallest);
    ~MemoryTaken();
    MemoryTaken(const MemoryTaken&) = delete;
    MemoryTaken& operator=(const MemoryTaken&) = delete;

private:
    std::vector<void*> blocks_;  // first: its room is had before the space is gone
    AddressSpaceTaken space_;
};

// Runs act with the address space taken and its boxes answered with OK;
// returns the last box as BoxesAnsweredInThread::seen() does. The test fails
// when the space could not be taken.
std::wstring LastBoxWithAddressSpaceTaken(const std::function<void()>& act);
