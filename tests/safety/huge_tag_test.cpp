// A tag too large to be read safely, and memory that runs out on a file:
// that file fails with its reason and stays as it was, and the run goes on
// to the next one.
#include "app/file_loop.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <new>

namespace tagshifter::test {
namespace {

TEST(HugeTag, FailsItsFileAndTheRunGoesOn)
{
    const std::string small = id3v23Tag(textFrame("TIT2", kPrivetCp1251)) + mpegFrames(8);
    // A title of 17 MiB: TagLib would hold it several times over, 4 bytes a character.
    const std::string huge = id3v23Tag(textFrame("TIT2", std::string(17 << 20, '\xC0'))) + mpegFrames(8);
    const SaveFile outOfMemory = [](format::TaggedFile&, const format::TagsWritten&) -> bool {
        throw std::bad_alloc();
    };
    const struct {
        const char* name;
        const std::string* first;
        SaveFile save;
        const char* reason;
    } cases[] = {
        {"a text frame past the limit", &huge, saveTags, "frame TIT2 is larger than 16 MiB"},
        {"memory that runs out", &small, outOfMemory, "out of memory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string first = dir.put("a.mp3", *c.first);
        const std::string second = dir.put("b.mp3", small);
        int saves = 0;
        // The seam fails the first file only.
        const SaveFile save = [&](format::TaggedFile& file, const format::TagsWritten& written) {
            return ++saves == 1 ? c.save(file, written) : saveTags(file, written);
        };
        const RunResult run = runInProcess({"-k", "-s", "cp1251", "-2", "unicode", first, second}, save);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, first + "failed!\n" + second + "...done\n");
        const std::string note = "tagshifter: " + first + ": not written: " + c.reason + "\n";
        EXPECT_EQ(run.err.substr(0, note.size()), note);  // the summary follows
        EXPECT_TRUE(readFile(first) == *c.first) << "the failed file changed";
        EXPECT_NE(readFile(second).find(kPrivetUtf8), std::string::npos);
    }
}

}  // namespace
}  // namespace tagshifter::test
