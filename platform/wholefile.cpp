#include "platform/wholefile.h"

namespace {

// Large enough to keep the number of calls low, small enough for any DWORD.
const DWORD kPiece = 1u << 20;

DWORD PieceOf(size_t size)
{
    return size < kPiece ? static_cast<DWORD>(size) : kPiece;
}

}  // namespace

bool ReadWhole(HANDLE file, void* data, size_t size)
{
    BYTE* bytes = static_cast<BYTE*>(data);
    while (size > 0) {
        DWORD got = 0;
        if (!ReadFile(file, bytes, PieceOf(size), &got, nullptr) || got == 0)
            return false;
        bytes += got;
        size -= got;
    }
    return true;
}

bool WriteWhole(HANDLE file, const void* data, size_t size, decltype(&::WriteFile) write)
{
    const BYTE* bytes = static_cast<const BYTE*>(data);
    while (size > 0) {
        DWORD put = 0;
        if (!write(file, bytes, PieceOf(size), &put, nullptr) || put == 0)
            return false;
        bytes += put;
        size -= put;
    }
    return true;
}
