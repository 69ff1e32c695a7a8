#include "document/encoding.h"

#include <bitset>
#include <cstring>

namespace {

const wchar_t kNullSymbol = 0x2400;
const wchar_t kPrivateUseFirst = 0xE000, kPrivateUseLast = 0xF8FF;
const wchar_t kReplacement = 0xFFFD;

bool IsHighSurrogate(wchar_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(wchar_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Hands each unit of the file's text to put: the control's CR LF in the
// format's style, the stand-in as the zero character it stands for.
template <class Put>
void ForEachFileUnit(const wchar_t* text, size_t length, const TextFormat& format, Put& put)
{
    const bool restyle = format.LineEnds != kCrLfLineEnds;
    const wchar_t lineEnd = format.LineEnds == kCrLineEnds ? L'\r' : L'\n';
    for (size_t i = 0; i < length; ++i) {
        wchar_t unit = text[i];
        if (restyle && unit == L'\r' && i + 1 < length && text[i + 1] == L'\n') {
            put(lineEnd);
            ++i;
        } else {
            put(format.NullStandIn && unit == format.NullStandIn ? L'\0' : unit);
        }
    }
}

// UTF-8 from units, pairing surrogates; counts only while bytes is null.
class Utf8Output {
public:
    explicit Utf8Output(uint8_t* bytes) : bytes_(bytes) {}
    void operator()(wchar_t unit)
    {
        // Most text is ASCII: its units go straight through.
        if (unit < 0x80 && !pending_) {
            Byte(unit);
            return;
        }
        if (pending_) {
            wchar_t high = pending_;
            pending_ = 0;
            if (IsLowSurrogate(unit)) {
                Put(0x10000 + ((static_cast<uint32_t>(high) - 0xD800) << 10) + (unit - 0xDC00));
                return;
            }
            Lone();
        }
        if (IsHighSurrogate(unit))
            pending_ = unit;
        else if (IsLowSurrogate(unit))
            Lone();
        else
            Put(unit);
    }
    // The end of the text: a high surrogate still waiting is a lone one.
    void Finish()
    {
        if (pending_)
            Lone();
        pending_ = 0;
    }
    size_t size() const { return size_; }
    bool lossless() const { return lossless_; }

private:
    void Lone()
    {
        lossless_ = false;
        Put(kReplacement);
    }
    void Byte(uint32_t value)
    {
        if (bytes_)
            bytes_[size_] = static_cast<uint8_t>(value);
        ++size_;
    }
    void Put(uint32_t point)
    {
        if (point < 0x80) {
            Byte(point);
        } else if (point < 0x800) {
            Byte(0xC0 | (point >> 6));
            Byte(0x80 | (point & 0x3F));
        } else if (point < 0x10000) {
            Byte(0xE0 | (point >> 12));
            Byte(0x80 | ((point >> 6) & 0x3F));
            Byte(0x80 | (point & 0x3F));
        } else {
            Byte(0xF0 | (point >> 18));
            Byte(0x80 | ((point >> 12) & 0x3F));
            Byte(0x80 | ((point >> 6) & 0x3F));
            Byte(0x80 | (point & 0x3F));
        }
    }

    uint8_t* bytes_;
    size_t size_ = 0;
    bool lossless_ = true;
    wchar_t pending_ = 0;
};

class Utf16Output {
public:
    Utf16Output(uint8_t* bytes, bool bigEndian) : bytes_(bytes), bigEndian_(bigEndian) {}
    void operator()(wchar_t unit)
    {
        if (bytes_) {
            bytes_[size_ + (bigEndian_ ? 1 : 0)] = static_cast<uint8_t>(unit & 0xFF);
            bytes_[size_ + (bigEndian_ ? 0 : 1)] = static_cast<uint8_t>(unit >> 8);
        }
        size_ += 2;
    }
    size_t size() const { return size_; }

private:
    uint8_t* bytes_;
    bool bigEndian_;
    size_t size_ = 0;
};

const uint8_t kUtf8Mark[] = {0xEF, 0xBB, 0xBF};

bool IsUtf16(TextEncoding encoding)
{
    return encoding == kUtf16LeText || encoding == kUtf16BeText;
}

size_t MarkSize(const TextFormat& format)
{
    if (!format.HasMark)
        return 0;
    return format.Encoding == kUtf8Text ? sizeof(kUtf8Mark) : IsUtf16(format.Encoding) ? 2 : 0;
}

// Writes (or, with null bytes, only measures) the whole file.
size_t Encode(const wchar_t* text, size_t length, const TextFormat& format, uint8_t* bytes, bool* lossless)
{
    const size_t mark = MarkSize(format);
    uint8_t* body = bytes ? bytes + mark : nullptr;
    *lossless = true;
    if (format.Encoding == kUtf8Text) {
        if (bytes && mark)
            memcpy(bytes, kUtf8Mark, mark);
        Utf8Output output(body);
        ForEachFileUnit(text, length, format, output);
        output.Finish();
        *lossless = output.lossless();
        return mark + output.size();
    }
    const bool bigEndian = format.Encoding == kUtf16BeText;
    Utf16Output output(bytes, bigEndian);
    if (mark)
        output(0xFEFF);
    ForEachFileUnit(text, length, format, output);
    const bool odd = format.HasOddByte != 0;
    if (bytes && odd)
        bytes[output.size()] = format.OddByte;
    return output.size() + (odd ? 1 : 0);
}

}  // namespace

TextFormat PlainTextFormat()
{
    return {kAnsiText, 0, kCrLfLineEnds, 0, 0, 0, 0, 0};
}

TextEncoding Utf16MarkOf(const uint8_t* bytes, size_t size)
{
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
        return kUtf16LeText;
    if (size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF)
        return kUtf16BeText;
    return kAnsiText;
}

size_t Utf8SequenceAt(const uint8_t* bytes, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t lead = bytes[0];
    if (lead < 0x80)
        return 1;
    size_t trail;
    uint8_t low = 0x80, high = 0xBF;  // the range of the first trail byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        trail = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        trail = 2;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        trail = 3;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (size <= trail || bytes[1] < low || bytes[1] > high)
        return 0;
    for (size_t k = 2; k <= trail; ++k)
        if ((bytes[k] & 0xC0) != 0x80)
            return 0;
    return trail + 1;
}

bool IsValidUtf8(const uint8_t* bytes, size_t size, bool* multiByte)
{
    *multiByte = false;
    for (size_t i = 0; i < size;) {
        // Most text is ASCII: a large file passes through here byte by byte.
        if (bytes[i] < 0x80) {
            ++i;
            continue;
        }
        const size_t sequence = Utf8SequenceAt(bytes + i, size - i);
        if (sequence == 0)
            return false;
        *multiByte = true;
        i += sequence;
    }
    return true;
}

namespace {

// How the bytes read as UTF-16 in one byte order: above zero when its units
// look like text more than like anything else.
struct Utf16Reading {
    long score;
    bool crLfUnits;  // CR LF as two units
};

bool IsPrintableAscii(uint8_t byte)
{
    return byte >= 0x20 && byte <= 0x7E;
}

// The high bytes of the blocks nearly all text is written in: the
// alphabets, punctuation and symbols, kana and CJK ideographs (01-9F),
// Hangul syllables (AC-D7) and the full-width forms (FF).
bool IsScriptHighByte(uint8_t high)
{
    return high <= 0x9F || (high >= 0xAC && high <= 0xD7) || high == 0xFF;
}

Utf16Reading ReadAsUtf16(const uint8_t* bytes, size_t size, bool bigEndian)
{
    const size_t units = size / 2;
    const size_t highAt = bigEndian ? 0 : 1;
    auto unitAt = [&](size_t i) {
        return static_cast<uint16_t>((bytes[2 * i + highAt] << 8) | bytes[2 * i + 1 - highAt]);
    };
    // A script's letters share their high byte: kana, for one, whose units
    // would otherwise often pass for two ASCII characters.
    size_t highCounts[256] = {};
    size_t letters = 0;
    for (size_t i = 0; i < units; ++i) {
        const uint16_t unit = unitAt(i);
        if ((unit >> 8) && (unit & 0xFF) && !IsHighSurrogate(unit) && !IsLowSurrogate(unit)) {
            ++highCounts[unit >> 8];
            ++letters;
        }
    }
    int shared = -1;
    for (int high = 1; high < 256; ++high)
        if (2 * highCounts[high] > letters)
            shared = high;

    Utf16Reading reading = {0, false};
    for (size_t i = 0; i < units; ++i) {
        const uint16_t unit = unitAt(i);
        const uint8_t high = static_cast<uint8_t>(unit >> 8), low = static_cast<uint8_t>(unit & 0xFF);
        if (unit == 0)
            continue;  // a zero character says nothing either way
        if (high == 0) {
            ++reading.score;  // ASCII and Latin-1
            if (unit == L'\r' && i + 1 < units && unitAt(i + 1) == L'\n')
                reading.crLfUnits = true;
        } else if (low == 0) {
            --reading.score;  // the zero on the other side
        } else if (IsHighSurrogate(unit) && i + 1 < units && IsLowSurrogate(unitAt(i + 1))) {
            reading.score += 2;
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            reading.score -= 2;
        } else if (high == shared) {
            ++reading.score;
        } else if (IsPrintableAscii(high) && IsPrintableAscii(low)) {
            --reading.score;  // what ANSI text gives, read two bytes at a time
        } else {
            reading.score += IsScriptHighByte(high) ? 1 : -1;
        }
    }
    return reading;
}

// Text with a few stray zeros: nothing but zeros, line ends and bytes of
// 0x20 and above, at most one zero in eight bytes. (TAB and FF are left
// out: they are the high bytes of Devanagari and Telugu.)
bool IsPlainTextWithStrayZeros(const uint8_t* bytes, size_t size, size_t zeros)
{
    if (zeros * 8 > size)
        return false;
    for (size_t i = 0; i < size; ++i)
        if (bytes[i] && bytes[i] < 0x20 && bytes[i] != '\n' && bytes[i] != '\r')
            return false;
    return true;
}

}  // namespace

TextEncoding DetectUnmarkedUtf16(const uint8_t* bytes, size_t size)
{
    if (size < 2 || size % 2 || !memchr(bytes, 0, size))
        return kAnsiText;
    size_t zeros = 0, evenZeros = 0, oddZeros = 0;
    for (size_t i = 0; i < size; i += 2) {
        zeros += (bytes[i] == 0) + (bytes[i + 1] == 0);
        if (bytes[i] == 0 && bytes[i + 1] == 0)
            continue;  // a zero character, at both places
        evenZeros += bytes[i] == 0;
        oddZeros += bytes[i + 1] == 0;
    }
    const Utf16Reading little = ReadAsUtf16(bytes, size, false);
    const Utf16Reading big = ReadAsUtf16(bytes, size, true);
    const bool crLfUnits = little.crLfUnits || big.crLfUnits;
    if (!crLfUnits && IsPlainTextWithStrayZeros(bytes, size, zeros))
        return kAnsiText;
    // Nearly all: CJK text has a character with a zero low byte now and then
    // (U+4E00, the most common of them).
    const size_t most = evenZeros > oddZeros ? evenZeros : oddZeros;
    const size_t fewest = evenZeros > oddZeros ? oddZeros : evenZeros;
    const bool oneSide = most > 0 && (4 * fewest <= most || (fewest == 1 && most >= 2));
    if (!oneSide && !crLfUnits)
        return kAnsiText;
    if (little.score <= 0 && big.score <= 0)
        return kAnsiText;
    return little.score >= big.score ? kUtf16LeText : kUtf16BeText;
}

TextFormat DetectFormat(const uint8_t* bytes, size_t size)
{
    TextFormat format = PlainTextFormat();
    bool multiByte = false;
    if (TextEncoding marked = Utf16MarkOf(bytes, size)) {
        format.Encoding = marked;
        format.HasMark = 1;
    } else if (size >= sizeof(kUtf8Mark) && memcmp(bytes, kUtf8Mark, sizeof(kUtf8Mark)) == 0 &&
               IsValidUtf8(bytes + sizeof(kUtf8Mark), size - sizeof(kUtf8Mark), &multiByte)) {
        format.Encoding = kUtf8Text;
        format.HasMark = 1;
    } else if (TextEncoding unmarked = DetectUnmarkedUtf16(bytes, size)) {
        // Zeros are no text in UTF-8 or ANSI: zeros that read as UTF-16 text
        // decide even where the bytes also happen to be valid UTF-8, as short
        // runs of Greek or Hangul can be.
        format.Encoding = unmarked;
    } else if (IsValidUtf8(bytes, size, &multiByte) && multiByte) {
        format.Encoding = kUtf8Text;
    }
    return format;
}

namespace {

// Hands each unit that bytes decode into to put: a valid sequence as its
// character, every byte of anything else as U+FFFD. Counting and decoding
// take the same walk, so the decoding never writes more than the count.
template <class Put>
void ForEachUtf8Unit(const uint8_t* bytes, size_t size, Put put)
{
    for (size_t i = 0; i < size;) {
        const size_t sequence = Utf8SequenceAt(bytes + i, size - i);
        const uint32_t lead = bytes[i];
        if (sequence == 0) {
            put(kReplacement);
            ++i;
            continue;
        }
        if (sequence == 1) {
            put(static_cast<wchar_t>(lead));
        } else if (sequence == 2) {
            put(static_cast<wchar_t>(((lead & 0x1F) << 6) | (bytes[i + 1] & 0x3F)));
        } else if (sequence == 3) {
            put(static_cast<wchar_t>(((lead & 0x0F) << 12) | ((bytes[i + 1] & 0x3F) << 6) | (bytes[i + 2] & 0x3F)));
        } else {
            uint32_t point = ((lead & 0x07) << 18) | ((bytes[i + 1] & 0x3Fu) << 12) | ((bytes[i + 2] & 0x3Fu) << 6) |
                             (bytes[i + 3] & 0x3Fu);
            point -= 0x10000;
            put(static_cast<wchar_t>(0xD800 + (point >> 10)));
            put(static_cast<wchar_t>(0xDC00 + (point & 0x3FF)));
        }
        i += sequence;
    }
}

}  // namespace

size_t Utf8Length(const uint8_t* bytes, size_t size)
{
    size_t length = 0;
    ForEachUtf8Unit(bytes, size, [&](wchar_t) { ++length; });
    return length;
}

void DecodeUtf8(const uint8_t* bytes, size_t size, wchar_t* text)
{
    ForEachUtf8Unit(bytes, size, [&](wchar_t unit) { *text++ = unit; });
}

void SwapUnits(wchar_t* text, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        text[i] = static_cast<wchar_t>(((text[i] & 0xFF) << 8) | ((text[i] >> 8) & 0xFF));
}

int ChooseLineEnds(const LineEndCounts& counts)
{
    if (counts.crLf >= counts.lf && counts.crLf >= counts.cr)
        return kCrLfLineEnds;
    return counts.lf >= counts.cr ? kLfLineEnds : kCrLineEnds;
}

size_t LineEndGrowth(const LineEndCounts& counts, int style)
{
    return style == kCrLfLineEnds ? 0 : counts.lf + counts.cr;
}

void ExpandLineEnds(wchar_t* text, size_t length, size_t growth)
{
    // From the end, so that nothing is overwritten before it is read; once
    // the two positions meet, what is left is already in place. A growth
    // larger than the lone line ends need stops at the start of the text.
    size_t read = length, write = length + growth;
    while (write > read && read > 0) {
        const wchar_t unit = text[--read];
        if (unit == L'\n' || unit == L'\r') {
            if (unit == L'\n' && read > 0 && text[read - 1] == L'\r')
                --read;
            text[--write] = L'\n';
            text[--write] = L'\r';
        } else {
            text[--write] = unit;
        }
    }
}

wchar_t ChooseNullStandIn(const wchar_t* text, size_t length)
{
    bool symbolUsed = false;
    std::bitset<kPrivateUseLast - kPrivateUseFirst + 1> used;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == kNullSymbol)
            symbolUsed = true;
        else if (text[i] >= kPrivateUseFirst && text[i] <= kPrivateUseLast)
            used.set(text[i] - kPrivateUseFirst);
    }
    if (!symbolUsed)
        return kNullSymbol;
    for (size_t i = 0; i < used.size(); ++i)
        if (!used.test(i))
            return static_cast<wchar_t>(kPrivateUseFirst + i);
    return 0;
}

bool IsNullStandIn(wchar_t unit)
{
    return unit == 0 || unit == kNullSymbol || (unit >= kPrivateUseFirst && unit <= kPrivateUseLast);
}

void ReplaceUnits(wchar_t* text, size_t length, wchar_t from, wchar_t to)
{
    for (size_t i = 0; i < length; ++i)
        if (text[i] == from)
            text[i] = to;
}

bool HoldsLoneSurrogate(const wchar_t* text, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        if (IsHighSurrogate(text[i]) && i + 1 < length && IsLowSurrogate(text[i + 1]))
            ++i;
        else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i]))
            return true;
    }
    return false;
}

size_t EncodedSize(const wchar_t* text, size_t length, const TextFormat& format, bool* lossless)
{
    return Encode(text, length, format, nullptr, lossless);
}

void EncodeText(const wchar_t* text, size_t length, const TextFormat& format, uint8_t* bytes)
{
    bool lossless;
    Encode(text, length, format, bytes, &lossless);
}

size_t CompactLineEnds(uint8_t* bytes, size_t size, int style)
{
    if (style == kCrLfLineEnds)
        return size;
    const uint8_t lineEnd = style == kCrLineEnds ? '\r' : '\n';
    size_t write = 0;
    for (size_t read = 0; read < size; ++read) {
        if (bytes[read] == '\r' && read + 1 < size && bytes[read + 1] == '\n') {
            bytes[write++] = lineEnd;
            ++read;
        } else {
            bytes[write++] = bytes[read];
        }
    }
    return write;
}
