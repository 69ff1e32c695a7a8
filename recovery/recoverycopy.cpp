#include "recovery/recoverycopy.h"

#include <cstring>

namespace {

const uint8_t kMagic[8] = {'S', 'C', 'R', 'I', 'V', 'R', 'E', 'C'};
const uint32_t kFirstVersion = 1;

class FieldWriter {
public:
    explicit FieldWriter(uint8_t* bytes) : at_(bytes) {}
    void Bytes(const void* data, size_t size)
    {
        memcpy(at_, data, size);
        at_ += size;
    }
    void U32(uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            *at_++ = static_cast<uint8_t>(value >> (8 * i));
    }
    void U64(uint64_t value)
    {
        U32(static_cast<uint32_t>(value));
        U32(static_cast<uint32_t>(value >> 32));
    }
    void Time(const FILETIME& time) { U64((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime); }

private:
    uint8_t* at_;
};

class FieldReader {
public:
    explicit FieldReader(const uint8_t* bytes) : at_(bytes) {}
    const uint8_t* Skip(size_t size)
    {
        const uint8_t* start = at_;
        at_ += size;
        return start;
    }
    uint32_t U32()
    {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= static_cast<uint32_t>(*at_++) << (8 * i);
        return value;
    }
    uint64_t U64()
    {
        const uint64_t low = U32();
        return low | (static_cast<uint64_t>(U32()) << 32);
    }
    FILETIME Time()
    {
        const uint64_t value = U64();
        FILETIME time = {static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
        return time;
    }

private:
    const uint8_t* at_;
};

}  // namespace

void EncodeRecoveryHeader(const RecoveryHeader& header, uint8_t bytes[kRecoveryHeaderSize])
{
    FieldWriter out(bytes);
    out.Bytes(kMagic, sizeof(kMagic));
    out.U32(kLockedCopyVersion);
    out.U32(static_cast<uint32_t>(kRecoveryHeaderSize));
    out.U32(header.Writer.Id);
    out.Time(header.Writer.Start);
    out.Time(header.Written);
    const TextFormat& format = header.Format;
    out.U32(format.Encoding);
    out.U32(format.HasMark);
    out.U32(format.LineEnds);
    out.U32(format.NullStandIn);
    out.U32(format.HasOddByte);
    out.U32(format.OddByte);
    out.U32(format.HasReplacedBytes);
    const size_t pathLength = wcsnlen(header.FilePath, kPathCapacity - 1);
    out.U32(static_cast<uint32_t>(pathLength));
    for (size_t i = 0; i < kPathCapacity; ++i) {
        const uint32_t unit = i < pathLength ? header.FilePath[i] : 0;
        out.Bytes(&unit, 2);  // x86 is little-endian, as the file is
    }
    const FileVersion& base = header.Base;
    out.U32(base.Known);
    out.Time(base.LastWrite);
    out.U64(base.Size);
    out.U32(base.HasIndex);
    out.U32(base.VolumeSerial);
    out.U32(base.IndexHigh);
    out.U32(base.IndexLow);
    out.U64(base.Hash);
    out.U64(header.TextLength);
    out.U64(header.Format.RecodedCharacters);
}

CopyCondition DecodeRecoveryHeader(const uint8_t* bytes, size_t size, uint64_t fileSize, RecoveryHeader* header)
{
    if (size < kFirstHeaderSize || memcmp(bytes, kMagic, sizeof(kMagic)) != 0)
        return CopyCondition::Unusable;
    FieldReader in(bytes + sizeof(kMagic));
    const uint32_t version = in.U32();
    const uint32_t headerSize = in.U32();
    // A copy of another format is left for the program that wrote it.
    const uint32_t sizeOfVersion = version == kFirstVersion ? kFirstHeaderSize : kRecoveryHeaderSize;
    if (version < kFirstVersion || version > kLockedCopyVersion || headerSize != sizeOfVersion || size < headerSize ||
        fileSize < headerSize)
        return CopyCondition::Unusable;
    RecoveryHeader read = {};
    read.Version = version;
    read.HeaderSize = headerSize;
    read.Writer.Id = in.U32();
    read.Writer.Start = in.Time();
    read.Written = in.Time();
    const uint32_t encoding = in.U32();
    read.Format.HasMark = in.U32() != 0;
    const uint32_t lineEnds = in.U32();
    const uint32_t standIn = in.U32();
    read.Format.HasOddByte = in.U32() != 0;
    const uint32_t oddByte = in.U32();
    read.Format.HasReplacedBytes = in.U32() != 0;
    const uint32_t pathLength = in.U32();
    if (encoding > kUtf16BeText || lineEnds > kCrLineEnds || standIn > 0xFFFF || oddByte > 0xFF || pathLength == 0 ||
        pathLength >= kPathCapacity)
        return CopyCondition::Unusable;
    read.Format.Encoding = static_cast<TextEncoding>(encoding);
    read.Format.LineEnds = static_cast<int>(lineEnds);
    read.Format.NullStandIn = static_cast<wchar_t>(standIn);
    read.Format.OddByte = static_cast<uint8_t>(oddByte);
    const uint8_t* path = in.Skip(2 * kPathCapacity);
    for (uint32_t i = 0; i < pathLength; ++i)
        read.FilePath[i] = static_cast<wchar_t>(path[2 * i] | (path[2 * i + 1] << 8));
    if (wcslen(read.FilePath) != pathLength)
        return CopyCondition::Unusable;
    read.Base.Known = in.U32() != 0;
    read.Base.LastWrite = in.Time();
    read.Base.Size = in.U64();
    read.Base.HasIndex = in.U32() != 0;
    read.Base.VolumeSerial = in.U32();
    read.Base.IndexHigh = in.U32();
    read.Base.IndexLow = in.U32();
    read.Base.Hash = in.U64();
    read.TextLength = in.U64();
    if (version > kFirstVersion)
        read.Format.RecodedCharacters = static_cast<size_t>(in.U64());
    const uint64_t held = (fileSize - headerSize) / 2;
    const bool whole = read.TextLength <= held;
    if (!whole)
        read.TextLength = held;
    *header = read;
    return whole ? CopyCondition::Whole : CopyCondition::CutShort;
}
