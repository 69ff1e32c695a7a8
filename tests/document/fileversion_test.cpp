// The hash that tells one version of a file from another.
#include "document/fileversion.h"

#include <gtest/gtest.h>

#include <string>

namespace {

uint64_t HashOf(const std::string& bytes)
{
    ContentHash hash;
    hash.Add(bytes.data(), bytes.size());
    return hash.Value();
}

TEST(ContentHash, PiecesGiveTheHashOfTheWholeAndAnyChangedByteChangesIt)
{
    const std::string bytes = "The quick brown fox\r\njumps over the lazy dog.\r\n";
    for (size_t first = 0; first <= bytes.size(); first += 3) {
        for (size_t second = first; second <= bytes.size(); second += 5) {
            ContentHash pieces;
            pieces.Add(bytes.data(), first);
            pieces.Add(bytes.data() + first, second - first);
            pieces.Add(bytes.data() + second, bytes.size() - second);
            EXPECT_EQ(pieces.Value(), HashOf(bytes)) << "split at " << first << " and " << second;
        }
    }
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::string changed = bytes;
        changed[i] ^= 1;
        EXPECT_NE(HashOf(changed), HashOf(bytes)) << "byte " << i;
    }
    EXPECT_NE(HashOf(bytes + std::string(1, '\0')), HashOf(bytes));
    EXPECT_NE(HashOf(std::string(8, '\0')), HashOf(""));
}

}  // namespace
