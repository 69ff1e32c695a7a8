// The recovery copy of a document's unsaved text: what it records and its
// bytes. The text is the edit control's UTF-16 as it stands (stand-ins for
// zero characters included), never encoded into the document's encoding,
// which could lose typed characters. Every field has a fixed width and byte
// order, so the 32-bit and the 64-bit program read each other's copies.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "document/encoding.h"
#include "document/fileversion.h"
#include "platform/paths.h"
#include "platform/processidentity.h"

// Copies of this version and later are written under the writer's lock (see
// recoverylock.h); earlier ones were not. Both have the same bytes.
const uint32_t kLockedCopyVersion = 2;

struct RecoveryHeader {
    uint32_t Version;     // as read; a copy is always written in kLockedCopyVersion
    uint32_t HeaderSize;  // as read: where the text starts
    ProcessIdentity Writer;
    FILETIME Written;  // UTC
    TextFormat Format;
    // The document's path, or kUntitled.
    wchar_t FilePath[kPathCapacity];
    // The file the text came from, as it was then (Known is 0 for none).
    FileVersion Base;
    uint64_t TextLength;  // code units, without a terminator
};

// The bytes before the text: a copy of this version's, and one written
// before locks, which had no count of characters with two codes.
const size_t kRecoveryHeaderSize = 654;
const size_t kFirstHeaderSize = 646;

void EncodeRecoveryHeader(const RecoveryHeader& header, uint8_t bytes[kRecoveryHeaderSize]);

// How much of a copy is there to offer.
enum class CopyCondition {
    Whole,
    CutShort,  // the text ends early: what is there is offered
    Unusable,  // not a copy of this program's, or its header is cut or damaged
};

// Reads the header from the first size bytes of a copy of fileSize bytes
// (at most kRecoveryHeaderSize); *header's TextLength is then what the file
// holds, at most what it says.
CopyCondition DecodeRecoveryHeader(const uint8_t* bytes, size_t size, uint64_t fileSize, RecoveryHeader* header);
