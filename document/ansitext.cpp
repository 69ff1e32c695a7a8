#include "document/ansitext.h"

#include <climits>
#include <cstdint>
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
