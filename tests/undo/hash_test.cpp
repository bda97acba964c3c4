// The journal's hash is part of its format: journals already written are
// checked with it, so its values stay what they were when they were written.
#include "undo/file_entry.h"
#include "undo/hash.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace tagshifter::test {
namespace {

std::string pattern(size_t size)
{
    std::string bytes;
    for (size_t i = 0; i < size; ++i)
        bytes += static_cast<char>(i * 37 + 11);
    return bytes;
}

TEST(JournalHash, KeepsTheValuesOfJournalsAlreadyWritten)
{
    // Sizes around each word and each turn of the loop.
    const struct {
        size_t size;
        uint64_t hash;
    } cases[] = {
        {0, 0x99b6af62e3885e8full},  {1, 0x4527bc441f63451dull},  {7, 0x788c2fa777967957ull},
        {8, 0x2bdbe4a7f16db822ull},  {9, 0xb71fb6101494d180ull},  {31, 0x3bc92ace1bf998c2ull},
        {32, 0x1d5882ce86d609bbull}, {33, 0x2a31dcaae6427918ull}, {63, 0x2e74c0b75b0c0007ull},
        {64, 0x1310b465b23742b0ull}, {71, 0xed7a888fe1d07189ull}, {1000, 0xa1fb487fcc84b74eull},
    };
    const std::string bytes = pattern(1000);
    for (const auto& c : cases)
        EXPECT_EQ(undo::hashBytes(bytes.data(), c.size), c.hash) << c.size << " bytes";
    EXPECT_EQ(undo::hashBytes(bytes.data() + 3, 45, 12345), 0x9f667d0af6262bb6ull);
}

TEST(JournalHash, NewFileHashedFromViewsAsTheUndoChecksIt)
{
    undo::FileEntry entry;
    entry.newSize = 3 * undo::kHashChunk + 100;
    entry.written = {{10, 20}, {undo::kHashChunk + 5, 7}};
    const std::string file = pattern(entry.newSize);
    // Views for the first half of the file, copies behind it.
    entry.hashNewFile([&file](uint64_t offset, uint64_t length, std::string& spill) {
        if (offset < file.size() / 2)
            return std::string_view(file).substr(offset, length);
        spill.assign(file, offset, length);
        return std::string_view(spill);
    });
    const std::vector<undo::Chunk> chunks = entry.chunks();
    ASSERT_EQ(entry.chunkHashes.size(), chunks.size());
    for (size_t i = 0; i < chunks.size(); ++i)
        EXPECT_EQ(entry.chunkHashes[i], undo::hashBytes(file.data() + chunks[i].offset, chunks[i].length)) << i;
    // The undo reads the file into copies.
    const undo::ByteReader read = [&file](uint64_t offset, uint64_t length, std::string& out) {
        out.append(file, offset, length);
    };
    EXPECT_EQ(entry.keptHashOf(read), entry.keptHash);
    EXPECT_EQ(entry.writtenHashOf(read), entry.writtenHash);
}

}  // namespace
}  // namespace tagshifter::test
