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

// A 64-bit FNV-1a over the bytes taken as little-endian 64-bit words (the
// last few bytes as one shorter word), fed in any number of pieces. Words
// keep it to a small part of the cost of reading and decoding a file; it only
// has to tell one version of a file from another, not withstand an attacker.
class ContentHash {
public:
    void Add(const void* data, size_t size);
    uint64_t Value() const;

private:
    void Mix(uint64_t word);

    uint64_t hash_ = 14695981039346656037ull;
    uint64_t pending_ = 0;  // bytes not yet making up a word, first byte lowest
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
