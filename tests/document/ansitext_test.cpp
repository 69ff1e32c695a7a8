// The system code page's conversions, for any code page a system may have.
#include "document/ansitext.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <string>

namespace {

// Wine takes any flags for UTF-8, Windows fails the call: so the choice is
// checked here, not through a save.
TEST(AnsiTextTest, TheEncoderCallAndTheNameFollowTheCodePage)
{
    const struct {
        UINT codePage;
        DWORD flags;
        bool reportsDefault;
        const wchar_t* name;
    } cases[] = {
        {1252, WC_NO_BEST_FIT_CHARS, true, L"ANSI"},
        {932, WC_NO_BEST_FIT_CHARS, true, L"ANSI"},
        {CP_UTF8, 0, false, L"UTF-8"},
        {CP_UTF7, 0, false, L"ANSI"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.codePage);
        const AnsiEncoderCall call = AnsiEncoderCallFor(c.codePage);
        EXPECT_EQ(call.flags, c.flags);
        EXPECT_EQ(call.reportsDefault, c.reportsDefault);
        EXPECT_STREQ(AnsiEncodingName(c.codePage), c.name);
    }
}

TEST(AnsiTextTest, EncodingTellsWhetherTheCodePageHoldsEveryCharacter)
{
    const struct {
        UINT codePage;
        const wchar_t* text;
        std::string bytes;
        bool lossless;
    } cases[] = {
        // Each of these needs two bytes in code page 932 (Japanese).
        {932, L"\x65E5\x672C\x8A9E text \x3042", "\x93\xFA\x96\x7B\x8C\xEA text \x82\xA0", true},
        {1252, L"z\x0142", "z?", false},
        // A UTF-8 code page holds everything but a lone surrogate.
        {CP_UTF8, L"z\x0142\x65E5\xD83D\xDE0A", "z\xC5\x82\xE6\x97\xA5\xF0\x9F\x98\x8A", true},
        {CP_UTF8, L"a\xD800", "a\xEF\xBF\xBD", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.codePage << " " << testing::PrintToString(c.bytes));
        std::unique_ptr<char[]> bytes;
        int size = 0;
        bool lossless = !c.lossless;
        ASSERT_TRUE(EncodeAnsiText(c.text, wcslen(c.text), c.codePage, &bytes, &size, &lossless));
        EXPECT_EQ(std::string(bytes.get(), size), c.bytes);
        EXPECT_EQ(lossless, c.lossless);
    }
}

// Code page 932 has NEC row 13, the NEC-selected IBM extensions and the IBM
// extensions, which share characters with each other and with JIS codes:
// the encoder writes each such character under one code alone.
TEST(AnsiTextTest, CharactersReadUnderACodeTheEncoderDoesNotWriteAreCounted)
{
    const struct {
        UINT codePage;
        std::string bytes;
        size_t recoded;
    } cases[] = {
        {932, "\xED\x40\x87\x90\xEE\xF9", 3},  // U+7E8A, U+2252, U+FFE2: FA 5C, 81 E0, 81 CA
        {932, "\xFA\x4B a \xFA\x4B", 2},       // U+2161, each time
        {932, "\xFA\x5C\x81\xE0\x93\xFA", 0},  // the codes the encoder writes
        {932, "\x93\r\n\x93", 0},              // lead bytes without their trail bytes: no text
        {1252, "caf\xE9\x80\x81", 0},
        {CP_UTF8, "caf\xC3\xA9\x80", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.codePage << " " << testing::PrintToString(c.bytes));
        EXPECT_EQ(RecodedCharacters(c.bytes.data(), c.bytes.size(), c.codePage), c.recoded);
    }
}

}  // namespace
