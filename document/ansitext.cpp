#include "document/ansitext.h"

#include <bitset>
#include <climits>
#include <cstdint>
#include <cstring>
#include <new>

#include "document/encoding.h"

namespace {

// Hands the bytes to convert to convert in runs (see AnsiTextLength); stops
// at the first run it refuses.
template <typename Convert>
bool ForEachRun(const char* bytes, size_t size, Convert convert)
{
    size_t start = 0;
    for (size_t i = 1; i < size; ++i) {
        if ((bytes[i] == '\r' || bytes[i] == '\n') && static_cast<uint8_t>(bytes[i - 1]) >= 0x80) {
            if (!convert(bytes + start, static_cast<int>(i - start)))
                return false;
            start = i;
        }
    }
    return start == size || convert(bytes + start, static_cast<int>(size - start));
}

}  // namespace

AnsiEncoderCall AnsiEncoderCallFor(UINT codePage)
{
    if (codePage == CP_UTF8 || codePage == CP_UTF7)
        return {0, false};
    return {WC_NO_BEST_FIT_CHARS, true};
}

const wchar_t* AnsiEncodingName(UINT codePage)
{
    return codePage == CP_UTF8 ? L"UTF-8" : L"ANSI";
}

size_t AnsiTextLength(const char* bytes, size_t size, UINT codePage, bool* replaced)
{
    *replaced = false;
    if (size > INT_MAX)
        return 0;
    size_t length = 0;
    const bool converted = ForEachRun(bytes, size, [&](const char* run, int runSize) {
        int units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, run, runSize, nullptr, 0);
        if (units == 0) {
            // Without the flag the converter puts its stand-in for such bytes.
            *replaced = *replaced || GetLastError() == ERROR_NO_UNICODE_TRANSLATION;
            units = MultiByteToWideChar(codePage, 0, run, runSize, nullptr, 0);
        }
        length += static_cast<size_t>(units);
        return units > 0;
    });
    return converted ? length : 0;
}

bool DecodeAnsiText(const char* bytes, size_t size, UINT codePage, wchar_t* text, size_t length)
{
    if (size > INT_MAX || length > INT_MAX)
        return false;
    size_t written = 0;
    return ForEachRun(bytes, size,
                      [&](const char* run, int runSize) {
                          // A capacity of 0 would ask for the size instead.
                          if (written >= length)
                              return false;
                          const int units = MultiByteToWideChar(codePage, 0, run, runSize, text + written,
                                                                static_cast<int>(length - written));
                          written += static_cast<size_t>(units);
                          return units > 0;
                      }) &&
           written == length;
}

bool EncodeAnsiText(const wchar_t* text, size_t length, UINT codePage, std::unique_ptr<char[]>* bytes, int* size,
                    bool* lossless)
{
    *size = 0;
    if (lossless)
        *lossless = true;
    if (length == 0)
        return true;
    if (length > INT_MAX)
        return false;
    const int units = static_cast<int>(length);
    const AnsiEncoderCall call = AnsiEncoderCallFor(codePage);
    BOOL usedDefault = FALSE;
    int needed = WideCharToMultiByte(codePage, call.flags, text, units, nullptr, 0, nullptr,
                                     call.reportsDefault ? &usedDefault : nullptr);
    if (needed <= 0)
        return false;
    // A code page that tells nothing holds all of Unicode but lone surrogates.
    if (lossless)
        *lossless = call.reportsDefault ? !usedDefault : !HoldsLoneSurrogate(text, length);
    bytes->reset(new (std::nothrow) char[needed]);
    if (!*bytes ||
        WideCharToMultiByte(codePage, call.flags, text, units, bytes->get(), needed, nullptr, nullptr) != needed)
        return false;
    *size = needed;
    return true;
}

namespace {

// Whether the character of size bytes comes back as the same bytes from the
// encoder; a character that is no text counts as coming back.
bool ComesBack(const char* bytes, int size, UINT codePage)
{
    wchar_t units[2];
    const int decoded = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, size, units, 2);
    if (decoded <= 0)
        return true;
    const AnsiEncoderCall call = AnsiEncoderCallFor(codePage);
    char encoded[4];
    const int back =
        WideCharToMultiByte(codePage, call.flags, units, decoded, encoded, sizeof(encoded), nullptr, nullptr);
    return back == size && memcmp(encoded, bytes, static_cast<size_t>(size)) == 0;
}

}  // namespace

size_t RecodedCharacters(const char* bytes, size_t size, UINT codePage)
{
    CPINFO info;
    if (codePage == CP_UTF8 || !GetCPInfo(codePage, &info))
        return 0;
    bool lead[256] = {};
    for (int range = 0; range + 1 < MAX_LEADBYTES && info.LeadByte[range]; range += 2)
        for (int byte = info.LeadByte[range]; byte <= info.LeadByte[range + 1]; ++byte)
            lead[byte] = true;
    // Each code is asked about once; on the stack, so that a load low on
    // memory has nothing more to fail.
    std::bitset<0x10000> asked, changes;
    size_t recoded = 0;
    for (size_t i = 0; i < size;) {
        const uint8_t first = static_cast<uint8_t>(bytes[i]);
        const int length = lead[first] && i + 1 < size ? 2 : 1;
        const unsigned code = length == 2 ? (first << 8) | static_cast<uint8_t>(bytes[i + 1]) : first;
        if (!asked.test(code)) {
            asked.set(code);
            changes.set(code, !ComesBack(bytes + i, length, codePage));
        }
        recoded += changes.test(code) ? 1 : 0;
        i += static_cast<size_t>(length);
    }
    return recoded;
}
