// The conversions between a file's bytes and the control's text that need no
// platform, where the loader alone does not show them.
#include "document/encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The decoder writes exactly the units the count gives, whatever the bytes:
// a buffer sized by the count, with a guard behind it, is never overrun.
TEST(DecodeUtf8Test, AnyBytesDecodeIntoExactlyTheUnitsCounted)
{
    const struct {
        std::string bytes;
        std::wstring text;
    } cases[] = {
        {"caf\xC3\xA9 \xE6\x97\xA5\xF0\x9F\x98\x80", L"caf\x00E9 \x65E5\xD83D\xDE00"},
        {"\x80\x80", L"\xFFFD\xFFFD"},                      // trail bytes without a lead
        {"a\xE6\x97", L"a\xFFFD\xFFFD"},                    // cut by the end
        {"\xC0\xAF", L"\xFFFD\xFFFD"},                      // overlong
        {"\xED\xA0\x80", L"\xFFFD\xFFFD\xFFFD"},            // an encoded surrogate
        {"\xF4\x90\x80\x80", L"\xFFFD\xFFFD\xFFFD\xFFFD"},  // above U+10FFFF
        {"\xF0\x9F\x98", L"\xFFFD\xFFFD\xFFFD"},            // a cut pair
        {"\xE6\x97\xC3\xA9", L"\xFFFD\xFFFD\x00E9"},        // a lead that another lead cuts short
        {"\xFF\xFE", L"\xFFFD\xFFFD"},
        {"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(c.bytes.data());
        const size_t length = Utf8Length(bytes, c.bytes.size());
        ASSERT_EQ(length, c.text.size());
        std::vector<wchar_t> text(length + 1, L'#');
        DecodeUtf8(bytes, c.bytes.size(), text.data());
        EXPECT_EQ(std::wstring(text.data(), length), c.text);
        EXPECT_EQ(text[length], L'#') << "written past the counted units";
    }
}

// The room a loader makes for line ends can exceed what they need; the walk
// that widens them must then stop at the text's start, not read the units in
// front of it as line ends and write over them.
TEST(ExpandLineEndsTest, MoreRoomThanTheLineEndsNeedLeavesWhatIsInFrontOfTheTextAlone)
{
    wchar_t block[] = {L'x', L'\n', L'a', L'b', L'-'};
    ExpandLineEnds(block + 2, 2, 1);
    EXPECT_EQ(block[0], L'x');
    EXPECT_EQ(block[1], L'\n');
}

}  // namespace
