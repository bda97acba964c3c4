#include "undo/splice_search.h"

#include "undo/hash.h"

#include <cstring>

namespace tagshifter::undo {

std::vector<uint64_t> splicesHashingTo(const std::string& first, const std::string& second, uint64_t hash,
                                       size_t most)
{
    std::vector<uint64_t> found;
    if (first.size() != second.size() || most == 0)
        return found;
    const size_t size = first.size();
    const size_t words = size / 8;
    const size_t tailAt = words * 8;
    auto word = [](const std::string& bytes, size_t at, size_t length) { return wordOf(bytes.data() + at, length); };
    // needed[i]: the state that, taking `second`'s words from i on and its
    // tail, ends at `hash`; each step of the hash undone from the end.
    std::vector<uint64_t> needed(words + 1);
    needed[words] = hashUnword(hash, word(second, tailAt, size - tailAt));
    for (size_t i = words; i-- > 0;)
        needed[i] = hashUnword(needed[i + 1], word(second, i * 8, 8));
    // A word joined at `split` within it: `first`'s bytes before, `second`'s after.
    auto joined = [&](size_t start, size_t split, size_t end) {
        const size_t head = split - start;
        return word(first, start, head) | word(second, split, end - split) << (8 * head);
    };
    uint64_t state = hashStart(size);  // `first`'s words hashed up to the current one
    bool differed = true;              // the strings differ since the last place found
    for (size_t split = 0; split <= size && found.size() < most; ++split) {
        const size_t start = split / 8 * 8;
        bool match;
        if (split == start && start < tailAt)
            match = state == needed[split / 8];
        else if (start < tailAt)
            match = hashWord(state, joined(start, split, start + 8)) == needed[start / 8 + 1];
        else
            match = hashWord(state, joined(tailAt, split, size)) == hash;
        if (match && differed) {
            found.push_back(split);
            differed = false;
        }
        if (split < size) {
            differed = differed || first[split] != second[split];
            if (split + 1 == start + 8 && start < tailAt)
                state = hashWord(state, word(first, start, 8));
        }
    }
    return found;
}

}  // namespace tagshifter::undo
