// Moves the document between a file and the edit control. The text never
// exists outside the control: the loader builds the control's next buffer and
// the writer reads the current one in place.
#pragma once
#include <windows.h>

#include <cstddef>
#include <memory>

#include "document/encoding.h"
#include "document/fileversion.h"
#include "document/safesave.h"

// Files above this size, opened while word wrap is on, prompt to turn wrap off.
const DWORD kLargeFileThreshold = 512000;

// Reads path into the edit control of mainWindow, in the encoding its bytes
// tell (see DetectFormat), with every line end as CR LF unless most of them
// are already. Returns 1 on success, 0 when the file cannot be opened or read
// whole or there is no memory to hold it; on failure the document is left as
// it was. Sets *isModified to 0, *format to the file's format and, when
// given, *version to the file's identity and the hash of its bytes on success.
int Scrivlet_ReadFile(HWND mainWindow, const wchar_t* path, int* isModified, TextFormat* format,
                      FileVersion* version = nullptr);

// Reads the document's own file again after another program changed it: as
// Scrivlet_ReadFile, but only a file that is there (none is made), with no
// word-wrap question and no change to the recent list. 0 leaves the document
// as it was.
int ReloadTextFile(HWND mainWindow, const wchar_t* path, int* isModified, TextFormat* format, FileVersion* version);

// Shows text, the failure of a load, with the reason when the file was
// refused for its size; nothing when the user declined the load.
void ShowLoadFailure(const wchar_t* text);

// Whether the last load that opened nothing left the document as it was: its
// file refused before a byte was read, or declined by the user (the question
// before a long layout, Cancel while reading). Ask before ShowLoadFailure.
bool LoadLeftTheDocument();

// Called by a load between reading the file's bytes and taking its identity
// again; a test puts its own in, to write the file at that moment as another
// program might.
extern void (*AfterFileBytesRead)(const wchar_t* path);

// What a save did, through every step of the save flow.
enum class SaveResult {
    Saved,         // the text is in the file; the document is not modified
    Failed,        // the file could not be written; the box is the caller's
    Cancelled,     // the user cancelled a dialog or a question: nothing written
    Declined,      // the user would not overwrite the chosen file: nothing written
    NeedsConsent,  // the save must ask first (see SaveConsent): nothing written
    SaveAsChosen,  // asked, the user chose Save As instead: nothing written
};

// What a save asks before it writes, as flags, in the order it asks.
enum SaveDoubt : unsigned {
    kReplacedBytesDoubt = 1,   // the file's bytes that were no text are lost (HasReplacedBytes)
    kLostCharactersDoubt = 2,  // the target cannot hold some characters
    kRecodedDoubt = 4,         // characters go back under another code (RecodedCharacters)
    kOtherTextDoubt = 8,       // no form of the target opens as the same text again
};

// How the bytes written differ from the target's own form, so that the file
// opens as the same text.
enum class KeptForm {
    None,
    CrLfLineEnds,  // every line end as CR LF
    Mark,          // a byte-order mark
};

struct SaveConsent {
    unsigned accepted = 0;             // the doubts the user agreed to
    unsigned doubt = 0;                // NeedsConsent: the one to ask about now
    TextEncoding readsAs = kAnsiText;  // what the target's own form would open as
    KeptForm kept = KeptForm::None;    // Saved: what was kept instead of it
};

// The bytes a save of length units of text writes for target, ANSI through
// codePage, judged by the loader's own decoding of them: when the target's
// own form would open as other text, the nearest form that opens as the
// same (its line ends as CR LF, then a mark for UTF-8 and UTF-16). Where
// none does, or the file's bytes or characters would change, doubts says
// what to ask first.
struct SavePlan {
    // The text as it stands behind a UTF-16LE mark, when set; else bytes.
    bool asItStands;
    std::unique_ptr<char[]> bytes;
    size_t size;
    TextFormat written;    // what the file then holds
    KeptForm kept;         // how written differs from target
    TextEncoding readsAs;  // what the target's own form opens as
    unsigned doubts;       // SaveDoubt flags
};
// False when there is no memory for the bytes or for judging them.
bool PlanSave(const wchar_t* text, size_t length, const TextFormat& target, UINT codePage, SavePlan* plan);

// Writes the control's text to path as PlanSave has it for target. The old
// contents give way only once the new ones are complete on disk, and every
// name of the file (hard links) sees the new ones. Saved sets *isModified to
// 0 and *format to what was written; on Failed the file is unchanged, or its
// old contents are in the copy failure names (see StoreFileContents);
// NeedsConsent when the plan has a doubt that consent->accepted lacks.
// consent->readsAs and kept say what the plan found. Saved also sets
// *version, when given, to the identity of the file now under path and the
// hash of the bytes written.
SaveResult Scrivlet_WriteFile(HWND mainWindow, const wchar_t* path, int* isModified, const TextFormat& target,
                              TextFormat* format, SaveConsent* consent, StoreFailure* failure = nullptr,
                              FileVersion* version = nullptr);

// Whether the control's text can be written in format without losing a
// character.
bool TextFitsFormat(HWND mainWindow, const TextFormat& format);

// The control's next buffer for a file's whole contents (the loader reads
// a file with a UTF-16 mark straight into the buffer instead), in the
// encoding they tell (see DetectFormat), ANSI through codePage, with every
// line end as CR LF unless most of them are already; *format is the file's
// format. Null when there is no memory for it.
HLOCAL DecodeFileText(const BYTE* bytes, DWORD size, UINT codePage, TextFormat* format);

// The bytes a save of length units of text writes in format, ANSI through
// codePage. *lossless tells whether the encoding holds every character.
// False when there is no memory for them.
bool EncodeFileText(const wchar_t* text, size_t length, const TextFormat& format, UINT codePage,
                    std::unique_ptr<char[]>* bytes, size_t* size, bool* lossless);
