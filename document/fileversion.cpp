#include "document/fileversion.h"

#include <cstring>

#include "platform/scopedhandle.h"

namespace {

const uint32_t kFnvPrime32 = 16777619u;
const uint64_t kFnvOffset64 = 14695981039346656037ull;
const uint64_t kFnvPrime64 = 1099511628211ull;

uint32_t Word(const uint8_t* bytes)
{
    // Both builds run on x86, whose words are little-endian already.
    uint32_t word;
    memcpy(&word, bytes, sizeof(word));
    return word;
}

}  // namespace

void ContentHash::MixBlock(const uint8_t* block)
{
    for (unsigned lane = 0; lane < kLanes; ++lane)
        lanes_[lane] = (lanes_[lane] ^ Word(block + 4 * lane)) * kFnvPrime32;
}

void ContentHash::Add(const void* data, size_t size)
{
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    total_ += size;
    if (pendingBytes_ != 0) {
        const size_t taken = size < kBlock - pendingBytes_ ? size : kBlock - pendingBytes_;
        memcpy(pending_ + pendingBytes_, bytes, taken);
        pendingBytes_ += static_cast<unsigned>(taken);
        bytes += taken;
        size -= taken;
        if (pendingBytes_ < kBlock)
            return;
        MixBlock(pending_);
        pendingBytes_ = 0;
    }
    for (; size >= kBlock; bytes += kBlock, size -= kBlock)
        MixBlock(bytes);
    memcpy(pending_, bytes, size);
    pendingBytes_ = static_cast<unsigned>(size);
}

uint64_t ContentHash::Value() const
{
    uint32_t lanes[kLanes];
    memcpy(lanes, lanes_, sizeof(lanes));
    // The last bytes, zero-padded: the length below tells them from zeros.
    uint8_t last[kBlock] = {};
    memcpy(last, pending_, pendingBytes_);
    for (unsigned lane = 0; 4 * lane < pendingBytes_; ++lane)
        lanes[lane] = (lanes[lane] ^ Word(last + 4 * lane)) * kFnvPrime32;
    uint64_t hash = kFnvOffset64;
    for (uint32_t lane : lanes)
        hash = (hash ^ lane) * kFnvPrime64;
    return (hash ^ total_) * kFnvPrime64;
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
