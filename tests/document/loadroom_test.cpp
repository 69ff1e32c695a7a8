// What a load takes, against the room the system has left, for both builds'
// address spaces.
#include "document/loadroom.h"

#include <gtest/gtest.h>

namespace {

const ULONGLONG kMegabyte = 1ull << 20, kGigabyte = 1ull << 30;

TEST(LoadNeeds, TheBytesThreeTextsAndTheControlsLinesWithTheHistorysBudgetForSmallFiles)
{
    const struct {
        ULONGLONG file, needs;
    } cases[] = {
        {0, 32 * kMegabyte},
        {10 * kMegabyte, 10 * kMegabyte + 20 * kMegabyte + 10 * kMegabyte / 4 + 20 * kMegabyte + 32 * kMegabyte},
        {100 * kMegabyte, 725 * kMegabyte},
        {1900000000, 13775000000ull},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LoadNeeds(c.file), c.needs) << c.file;
}

TEST(LargestFileFor, IsTheLargestLoadTheSmallerRoomHolds)
{
    const struct {
        const char* build;
        MemoryRoom room;
        ULONGLONG largest;
    } cases[] = {
        {"32-bit, 2 GB of address space, 1.5 GB of it free", {1536 * kMegabyte, 20 * kGigabyte}, 222153480},
        {"32-bit, large-address-aware under a 64-bit system", {3584 * kMegabyte, 20 * kGigabyte}, 518358121},
        {"64-bit, the page file the limit", {128 * 1024 * kGigabyte, 6 * kGigabyte}, 888613923},
        {"little memory left", {64 * kMegabyte, kGigabyte}, 6391320},
        {"none", {16 * kMegabyte, kGigabyte}, 0},
    };
    for (const auto& c : cases) {
        const ULONGLONG largest = LargestFileFor(c.room);
        EXPECT_EQ(largest, c.largest) << c.build;
        EXPECT_TRUE(c.largest == 0 || RoomForFile(largest, c.room)) << c.build;
        EXPECT_FALSE(RoomForFile(largest + kMegabyte, c.room)) << c.build;
    }
    // The 1.9 GB file that the 64-bit program once took until it stopped
    // answering: no 32-bit program holds it.
    EXPECT_FALSE(RoomForFile(1900000000, {3584 * kMegabyte, 20 * kGigabyte}));
}

}  // namespace
