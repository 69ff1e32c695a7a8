// The system code page's conversions, for any code page a system may have.
#include "document/ansitext.h"

#include <gtest/gtest.h>

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

TEST(AnsiTextTest, AMultiByteCodePageKeepsEveryCharacter)
{
    // Each of these needs two bytes in code page 932 (Japanese).
    std::wstring text = L"\x65E5\x672C\x8A9E text \x3042";
    std::unique_ptr<char[]> bytes;
    int size = 0;
    ASSERT_TRUE(EncodeAnsiText(text.c_str(), text.size(), 932, &bytes, &size));
    std::string encoded(bytes.get(), size);
    EXPECT_EQ(encoded, "\x93\xFA\x96\x7B\x8C\xEA text \x82\xA0");
}

}  // namespace
