// The search for where a stretch cut short mid-way was cut, by its hash:
// exact, whatever the bytes look like, and one place for splits that give
// the same bytes.
#include "undo/hash.h"
#include "undo/splice_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tagshifter::test {
namespace {

std::string varied(size_t size, int seed)
{
    std::string bytes;
    uint32_t state = static_cast<uint32_t>(seed) * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes += static_cast<char>(state >> 24);
    }
    return bytes;
}

// A header, then silence: the same 417 bytes over and over.
std::string silent(size_t size, size_t shift)
{
    std::string frame = std::string("\xFF\xFB\x90\xC0", 4) + std::string(413, '\0');
    std::string bytes;
    while (bytes.size() < size + shift)
        bytes += frame;
    return bytes.substr(shift, size);
}

TEST(SpliceSearch, FindsTheSplitWhateverTheBytes)
{
    struct Case {
        const char* name;
        std::string first, second;
        uint64_t split;    // where the hashed join was cut
        int64_t firstSame;  // the first cut giving the same bytes
    };
    const std::string a = varied(1000, 1);
    const std::string b = varied(1000, 2);
    const std::string s = silent(100003, 0);
    const std::string t = silent(100003, 19);
    const std::string zeros(4099, '\0');
    std::string zerosThenB = zeros;
    zerosThenB.replace(3000, 1000, b, 0, 1000);
    const Case cases[] = {
        {"varied, cut at a word", a, b, 24, 24},
        {"varied, cut within a word", a, b, 27, 27},
        {"varied, cut at the start", a, b, 0, 0},
        {"varied, cut at the end", a, b, 1000, 1000},
        {"varied with a tail, cut in the tail", a.substr(0, 997), b.substr(0, 997), 995, 995},
        {"varied with a tail, cut before it", a.substr(0, 997), b.substr(0, 997), 992, 992},
        // Silence shifted against itself agrees over most of each 417 bytes:
        // many cuts give the same bytes; the first of them is found.
        {"silence against shifted silence", s, t, 61000, -1},
        {"silence against shifted silence, cut in the tail", s, t, 100002, -1},
        // All zeros against zeros then varied bytes: every cut up to 3000
        // gives the same bytes.
        {"zeros against zeros, then varied", zeros, zerosThenB, 1500, 0},
        {"zeros against zeros, then varied, cut in the varied", zeros, zerosThenB, 3500, 3500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto join = [&c](uint64_t at) { return c.first.substr(0, at) + c.second.substr(at); };
        const std::string joined = join(c.split);
        const std::vector<uint64_t> found = undo::splicesHashingTo(c.first, c.second, undo::hashBytes(joined), 64);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_LE(found[0], c.split);
        EXPECT_TRUE(join(found[0]) == joined);
        if (c.firstSame >= 0)
            EXPECT_EQ(found[0], static_cast<uint64_t>(c.firstSame));
        else  // the byte before it tells the joins apart
            EXPECT_NE(c.first[found[0] - 1], c.second[found[0] - 1]);
    }
    // Bytes that no join gives: nothing.
    EXPECT_TRUE(undo::splicesHashingTo(a, b, undo::hashBytes(varied(1000, 3)), 64).empty());
}

}  // namespace
}  // namespace tagshifter::test
