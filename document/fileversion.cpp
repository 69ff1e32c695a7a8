#include "document/fileversion.h"

#include <cstring>

#include "platform/scopedhandle.h"

namespace {

const uint64_t kFnvPrime = 1099511628211ull;

}  // namespace

void ContentHash::Mix(uint64_t word)
{
    hash_ = (hash_ ^ word) * kFnvPrime;
}

void ContentHash::Add(const void* data, size_t size)
{
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    total_ += size;
    while (pendingBytes_ != 0 && size != 0) {
        pending_ |= static_cast<uint64_t>(*bytes++) << (8 * pendingBytes_++);
        --size;
        if (pendingBytes_ == 8) {
            Mix(pending_);
            pending_ = 0;
            pendingBytes_ = 0;
        }
    }
    // Both builds run on x86, whose words are little-endian already.
    for (; size >= 8; bytes += 8, size -= 8) {
        uint64_t word;
        memcpy(&word, bytes, sizeof(word));
        Mix(word);
    }
    while (size != 0) {
        pending_ |= static_cast<uint64_t>(*bytes++) << (8 * pendingBytes_++);
        --size;
    }
}

uint64_t ContentHash::Value() const
{
    uint64_t hash = hash_;
    if (pendingBytes_ != 0)
        hash = (hash ^ pending_) * kFnvPrime;
    // The length goes in last, so that trailing zero bytes still count.
    return (hash ^ total_) * kFnvPrime;
}

bool ReadFileIdentity(HANDLE file, FileVersion* version)
{
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(file, &information))
        return false;
    version->LastWrite = information.ftLastWriteTime;
    version->Size = (static_cast<ULONGLONG>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
    version->VolumeSerial = information.dwVolumeSerialNumber;
    version->IndexHigh = information.nFileIndexHigh;
    version->IndexLow = information.nFileIndexLow;
    version->HasIndex = information.nFileIndexHigh != 0 || information.nFileIndexLow != 0;
    return true;
}

bool ReadFileIdentityAt(const wchar_t* path, FileVersion* version)
{
    ScopedHandle file(CreateFileW(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
    return file.valid() && ReadFileIdentity(file.get(), version);
}
