// A target left at none removes that tag: the run says so once, with the
// files and pictures it took and how to put them back.
#include "support/fixtures.h"
#include "support/state_home.h"

#include <gtest/gtest.h>

namespace tagshifter::test {
namespace {

// A JPEG cover in an APIC frame: encoding, MIME type, picture type, an
// empty description, then the image bytes.
std::string coverFrame()
{
    return id3v23Frame("APIC", std::string("\0image/jpeg\0\3\0", 14) + "\xFF\xD8\xFF\xE0 a cover");
}

TEST(Removal, ATargetLeftAtNoneSaysWhatItRemoved)
{
    TempDir dir;
    const StateHomeOverride home(dir.path());
    const std::string withCover = id3v23Tag(textFrame("TIT2", kPrivetCp1251) + coverFrame()) + mpegFrames(8)
                                  + id3v1Block(kPrivetCp1251, "", "");
    const std::string plain = id3v23Tag(textFrame("TIT2", kPrivetCp1251)) + mpegFrames(8);
    const std::string journal = dir.file("named.journal");
    const struct {
        std::vector<std::string> options;
        std::string err;  // all of standard error
    } cases[] = {
        {{"-1", "cp1251"},
         "tagshifter: -2 none removed the ID3v2 tag of 3 files (with 2 pictures); 'tagshifter --undo' puts them "
         "back\n"},
        {{"--journal=" + journal, "-1", "cp1251"},
         "tagshifter: -2 none removed the ID3v2 tag of 3 files (with 2 pictures); 'tagshifter --undo=" + journal
             + "' puts them back\n"},
        {{"--no-journal", "-2", "unicode"},
         "tagshifter: -1 none removed the ID3v1 tag of 2 files, for good (no journal)\n"},
        {{"-w", "-1", "cp1251"}, "tagshifter: -2 none would remove the ID3v2 tag of 3 files (with 2 pictures)\n"},
        {{"-1", "cp1251", "-2", "unicode"}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.err);
        const std::vector<std::string> songs{dir.put("a.mp3", withCover), dir.put("b.mp3", withCover),
                                             dir.put("c.mp3", plain)};
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {"-q", "-s", "cp1251"});
        args.insert(args.end(), songs.begin(), songs.end());
        const RunResult run = runInProcess(args);
        EXPECT_EQ(run.status, 0);
        // With -q and every file well, nothing else is said.
        EXPECT_EQ(run.err, c.err);
    }
    // One file: "1 file", "1 picture", "puts it back".
    const RunResult one = runInProcess({"-q", "-s", "cp1251", "-1", "cp1251", dir.put("d.mp3", withCover)});
    EXPECT_EQ(one.err,
              "tagshifter: -2 none removed the ID3v2 tag of 1 file (with 1 picture); 'tagshifter --undo' puts "
              "it back\n");
}

}  // namespace
}  // namespace tagshifter::test
