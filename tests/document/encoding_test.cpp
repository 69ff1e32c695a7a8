// The conversions between a file's bytes and the control's text that need no
// platform, where the loader alone does not show them.
#include "document/encoding.h"

#include <gtest/gtest.h>

namespace {

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
