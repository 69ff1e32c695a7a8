// Whether the file under a document's path is still the one its text was last
// read from or written to.
#pragma once
#include <windows.h>

#include "document/fileversion.h"

enum class FileState {
    Same,     // the file as it was, or touched with the same bytes
    Changed,  // other bytes, or a different file whose bytes cannot be read
    Gone,     // nothing under the path any more
    Unknown,  // the check could not be made (locked, access denied, the network)
};

// What asking the platform about the file under the path gave.
struct FileLook {
    bool identityRead;  // false: identityError tells why
    DWORD identityError;
    FileVersion identity;  // its hash is the bytes' when hashed
    bool hashed;           // the bytes were read and hashed
};

// The decision, from what the platform said. A check that could not be made
// is Unknown, never Changed: only a file not found or a path not found means
// gone. An identity that differs with bytes that could not be read counts as
// changed.
FileState ClassifyFile(const FileVersion& base, const FileLook& look);

// Whether the identity read says nothing changed: the same write time and
// size, and the same file where both know the volume and index.
bool SameIdentity(const FileVersion& base, const FileVersion& now);

// Another program may write the file while its bytes are read or hashed, so
// its identity is taken before and after: bytes read between two equal
// identities are the file's, else they are read again, kReadAttempts times
// in all. After that, or when an identity cannot be taken, the version read
// is unknown: never taken for the same as any other.
const int kReadAttempts = 3;
enum class ReadCheck { Whole, ReadAgain, Unknown };
ReadCheck JudgeRead(bool beforeTaken, const FileVersion& before, bool afterTaken, const FileVersion& after,
                    int attempt);

// ReadFileIdentityAt, as the checks call it; a test puts a slow one in.
extern bool (*IdentityAtCall)(const wchar_t* path, FileVersion* version);

// Looks at the file under path: its attributes first, its bytes only when
// the attributes differ from base but the size does not (with its identity
// taken again after them, see JudgeRead). *now, when given,
// receives what was found, so that a caller can adopt the identity of a file
// touched with the same bytes (on Same, now is a whole new base). A base that
// is not Known is Unknown.
FileState CheckFile(const wchar_t* path, const FileVersion& base, FileVersion* now);
