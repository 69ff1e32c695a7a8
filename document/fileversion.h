// What the program knows of the file a document's text was last read from or
// written to, so that it can tell later whether another program changed it.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

struct FileVersion {
    // 0 until the text was read from or written to a file (an untitled
    // document has no file to compare with).
    int Known;
    FILETIME LastWrite;
    ULONGLONG Size;
    // The volume's serial number and the file's index on it, where the file
    // system gives them (0 when it does not).
    int HasIndex;
    DWORD VolumeSerial;
    DWORD IndexHigh, IndexLow;
    // ContentHash of the bytes read or written.
    uint64_t Hash;
};

// FNV-1a in four 32-bit lanes, each over every fourth little-endian 32-bit
// word (the last few bytes as one shorter word), folded with the length into
// 64 bits at the end; fed in any number of pieces. The lanes keep it to a
// small part of the cost of reading and decoding a file on a 32-bit
// processor too; it only has to tell one version of a file from another, not
// withstand an attacker.
class ContentHash {
public:
    void Add(const void* data, size_t size);
    uint64_t Value() const;

private:
    static const unsigned kLanes = 4;
    static const unsigned kBlock = 4 * kLanes;

    void MixBlock(const uint8_t* block);

    uint32_t lanes_[kLanes] = {2166136261u, 2166136261u ^ 1, 2166136261u ^ 2, 2166136261u ^ 3};
    uint8_t pending_[kBlock] = {};  // bytes not yet making up a block
    unsigned pendingBytes_ = 0;
    uint64_t total_ = 0;
};

// The write time, size and, where given, index of the open file into
// *version, whose hash is left alone. False when they cannot be read.
bool ReadFileIdentity(HANDLE file, FileVersion* version);

// The same for the file now under path, which is opened for its attributes
// only, sharing everything. False when it cannot be opened or asked;
// GetLastError then tells why.
bool ReadFileIdentityAt(const wchar_t* path, FileVersion* version);
