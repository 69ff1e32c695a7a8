// How a document's text is stored in its file, and the conversions between
// the file's bytes and the edit control's UTF-16 text that need no platform:
// telling the encoding from the bytes, UTF-8 and UTF-16 in both byte orders,
// line ends and the stand-in for zero characters. The ANSI code page is the
// platform's and is converted by the loader and the writer.
#pragma once
#include <cstddef>
#include <cstdint>

enum TextEncoding { kAnsiText = 0, kUtf16LeText = 1, kUtf8Text = 2, kUtf16BeText = 3 };
enum LineEndStyle { kCrLfLineEnds = 0, kLfLineEnds = 1, kCrLineEnds = 2 };

struct TextFormat {
    // The first two are the formats the program always had: ANSI, and
    // UTF-16LE (with the mark when HasMark is set).
    TextEncoding Encoding;
    int HasMark;
    // The style a save writes for every CR LF of the control's text; CR LF
    // itself means the text is written as it stands.
    int LineEnds;
    // The character that stands for U+0000 in the control (which cannot hold
    // zero characters), chosen so that it does not occur in the file's text;
    // 0 when the file held no zero character.
    wchar_t NullStandIn;
    // The last byte of a UTF-16 file of odd length, kept to be written back
    // after the text.
    int HasOddByte;
    uint8_t OddByte;
    // The file held bytes that are no text in its encoding (ANSI), which the
    // control shows as the code page's stand-in characters: a save cannot
    // give them back, so it asks first.
    int HasReplacedBytes;
    // The characters of an ANSI file read under a code that the code page
    // does not write them under (see RecodedCharacters): a save changes
    // their bytes, so it asks first.
    size_t RecodedCharacters = 0;
};

// ANSI, no mark, CR LF: the format of a new document (all zero).
TextFormat PlainTextFormat();

// The encoding and mark of a file's whole contents. A mark decides first
// (EF BB BF only when the rest is valid UTF-8, so that a file of other bytes
// keeps them all); then zero bytes that read as UTF-16 text; then valid
// UTF-8 with at least one multi-byte sequence; everything else is ANSI.
TextFormat DetectFormat(const uint8_t* bytes, size_t size);
// The UTF-16 encoding named by a mark at the start of bytes, or kAnsiText.
TextEncoding Utf16MarkOf(const uint8_t* bytes, size_t size);
// The length of the valid UTF-8 sequence at the start of bytes, or 0 when
// there is none. Strict UTF-8: no overlong forms, no surrogates, nothing
// above U+10FFFF.
size_t Utf8SequenceAt(const uint8_t* bytes, size_t size);
// Whether bytes are all valid sequences; *multiByte tells whether any
// sequence is longer than one byte.
bool IsValidUtf8(const uint8_t* bytes, size_t size, bool* multiByte);
// Unmarked UTF-16, of any script, told by its zero bytes: an even size, and
// either CR LF as units or the zeros (nearly) all on one side of the units
// (at most one in four, or a single one, on the other).
// The byte order whose units read more as text decides, and only when they
// do: Latin-1 units, units in a script's block or sharing one high byte
// count for it; units with a zero low byte, lone surrogates and units that
// are two printable ASCII bytes count against. A file without a zero byte
// is never UTF-16, nor is text with a few stray zeros (no control bytes
// but CR and LF, at most one zero in eight bytes, no CR LF units).
// Returns kUtf16LeText, kUtf16BeText or kAnsiText.
TextEncoding DetectUnmarkedUtf16(const uint8_t* bytes, size_t size);

// The code units that bytes decode into, and their decoding into text, which
// holds exactly that many: valid sequences as their characters, every byte
// of anything else (a stray trail byte, a cut or overlong sequence) as
// U+FFFD. Any bytes are safe.
size_t Utf8Length(const uint8_t* bytes, size_t size);
void DecodeUtf8(const uint8_t* bytes, size_t size, wchar_t* text);
// Turns big-endian units into the machine's order, in place.
void SwapUnits(wchar_t* text, size_t length);

struct LineEndCounts {
    size_t crLf, lf, cr;
};
template <class Unit>
LineEndCounts CountLineEnds(const Unit* text, size_t length)
{
    LineEndCounts counts = {0, 0, 0};
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == '\r') {
            if (i + 1 < length && text[i + 1] == '\n') {
                ++counts.crLf;
                ++i;
            } else {
                ++counts.cr;
            }
        } else if (text[i] == '\n') {
            ++counts.lf;
        }
    }
    return counts;
}
// CR LF when it is the most frequent, ties included; else LF or CR.
int ChooseLineEnds(const LineEndCounts& counts);
// The units that turning every lone CR and LF into CR LF adds.
size_t LineEndGrowth(const LineEndCounts& counts, int style);
// Turns every lone CR and LF of text[0, length) into CR LF in place; the
// buffer holds length + growth units. It never walks below the text's start.
void ExpandLineEnds(wchar_t* text, size_t length, size_t growth);

// The stand-in for the zero characters of text: U+2400 (the symbol for
// null), or else the first private-use character that text does not hold;
// 0 when text holds all of them.
wchar_t ChooseNullStandIn(const wchar_t* text, size_t length);
// Whether unit is one of the stand-ins ChooseNullStandIn picks, or 0 (none).
bool IsNullStandIn(wchar_t unit);
void ReplaceUnits(wchar_t* text, size_t length, wchar_t from, wchar_t to);
// Whether text holds a surrogate that is not half of a pair.
bool HoldsLoneSurrogate(const wchar_t* text, size_t length);

// The file's bytes for text in a UTF-8 or UTF-16 format: the mark, the text
// with its CR LF in the format's style and its stand-ins as zero
// characters, then the odd byte of a UTF-16 file. *lossless is false when
// the text holds what the encoding cannot (a lone surrogate in UTF-8, which
// is then written as U+FFFD).
size_t EncodedSize(const wchar_t* text, size_t length, const TextFormat& format, bool* lossless);
// Writes the EncodedSize bytes.
void EncodeText(const wchar_t* text, size_t length, const TextFormat& format, uint8_t* bytes);
// Puts bytes of CR LF text (ANSI, whose multi-byte characters never hold
// CR or LF) in the style, in place; returns the new size.
size_t CompactLineEnds(uint8_t* bytes, size_t size, int style);
