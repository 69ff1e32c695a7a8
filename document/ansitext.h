// Text in the system's ANSI code page, which the platform converts. The code
// page is a parameter throughout, so that any can be tried: also the UTF-8
// code page a system may have (Windows 10's "Use Unicode UTF-8 for worldwide
// language support"), where a plain text file is UTF-8 without a mark.
#pragma once
#include <windows.h>

#include <cstddef>
#include <memory>

// How WideCharToMultiByte must be called for a code page. UTF-8 and UTF-7
// take no flags and no default-character pointers, or the call fails; the
// others get WC_NO_BEST_FIT_CHARS, so that no look-alike stands in for a
// character the code page lacks, and tell whether one was lacking.
struct AnsiEncoderCall {
    DWORD flags;
    bool reportsDefault;  // lpUsedDefaultChar is passed
};
AnsiEncoderCall AnsiEncoderCallFor(UINT codePage);

// What the program calls the code page's files: "UTF-8" where the code page
// is UTF-8, else "ANSI".
const wchar_t* AnsiEncodingName(UINT codePage);

// The units that size bytes make in codePage; 0 when they cannot be
// converted. The converter is given runs that end before each CR or LF that
// follows a byte above 0x7F: a double-byte code page's converter (932, 936,
// 949, 950) takes the byte after a lead byte as its trail byte even when it
// is CR or LF, which none of them has as a trail byte, and the line end
// would be lost. So each CR and LF byte is one CR or LF unit. *replaced
// tells whether some bytes are no text in the code page; the converter
// gives its stand-in character for them.
size_t AnsiTextLength(const char* bytes, size_t size, UINT codePage, bool* replaced);
// Decodes the bytes into text, which holds the length AnsiTextLength gave;
// false when the converter gives another.
bool DecodeAnsiText(const char* bytes, size_t size, UINT codePage, wchar_t* text, size_t length);

// The characters of bytes that the code page writes under another code than
// the one they were read under: a multi-byte code page (932, 936, 949, 950)
// gives some characters two codes, and encodes each under one of them
// alone. Bytes that are no text in the code page are not counted. 0 for
// UTF-8, which writes back what it decodes.
size_t RecodedCharacters(const char* bytes, size_t size, UINT codePage);

// The code page's own multi-byte form of length units of text, sized by the
// converter so that nothing is cut; *size is its length in bytes. False when
// it cannot be converted or there is no memory for it. *lossless, when
// given, tells whether the code page holds every character (no look-alikes).
bool EncodeAnsiText(const wchar_t* text, size_t length, UINT codePage, std::unique_ptr<char[]>* bytes, int* size,
                    bool* lossless = nullptr);
