// The guard on the bytes a save drops: tags as the tool's own reader sees
// them may go, audio may not, whatever a header's flags claim.
#include "io/audio_guard.h"
#include "support/fixtures.h"
#include "support/tag_layouts.h"

#include <gtest/gtest.h>

namespace tagshifter::test {
namespace {

TEST(AudioGuard, OnlyTagsMayBeDropped)
{
    const std::string frames = textFrame("TIT2", "Title");
    const std::string v23 = id3v23Tag(frames);
    const std::string v24Footer = id3v2Tag(4, 0x10, frames);  // "3DI" written behind
    const std::string v23Flagged = id3v2Tag(3, 0x10, frames);  // the flag, no footer
    const std::string v5 = id3v2Tag(5, 0, frames);             // no version the reader knows
    const std::string audio = mpegFrames(4);
    const std::string v1 = id3v1Block("t", "a", "b");
    const std::string ape = apeTag({{"Title", "x"}});
    const uint64_t fake = v23Flagged.size();
    // A size that claims more than the file holds: TagLib takes the audio
    // behind the frames for the tag; zeros there are only cut padding.
    std::string greedy = v23 + audio;
    greedy[8] = '\x7F';
    std::string cutPadding = id3v23Tag(frames + std::string(64, '\0'));
    cutPadding = cutPadding.substr(0, cutPadding.size() - 32);
    // A size that claims audio frames behind the padding, inside the file:
    // TagLib drops them with the tag. Stray bytes there are not audio.
    const std::string padded = frames + std::string(100, '\0');
    const std::string claimed = id3v2Tag(3, 0, padded + mpegFrames(2)) + audio;
    const std::string junk = id3v2Tag(3, 0, padded + "\xFF\xFB junk, not a frame" + std::string(20, '\0')) + audio;
    // An APE tag whose footer claims 100 bytes more than the tag: TagLib
    // drops the audio before it with the tag.
    std::string greedyApe = ape;
    greedyApe[greedyApe.size() - 32 + 12] = static_cast<char>(ape.size() - 32 + 100);
    const std::string v24Claimed = id3v2Tag(4, 0, padded + mpegFrames(2, 0x21)) + audio;
    const struct {
        const char* name;
        std::string file;
        std::vector<io::Piece> kept;  // the new content's pieces of the original
        const char* reason;            // nullptr: nothing but tags goes
    } cases[] = {
        {"the tag", v23 + audio, {{true, v23.size(), audio.size()}}, nullptr},
        {"the tag with its footer", v24Footer + audio, {{true, v24Footer.size(), audio.size()}}, nullptr},
        {"the tag and 10 bytes its flag calls a footer", v23Flagged + audio,
         {{true, fake + 10, audio.size() - 10}}, "audio bytes 26 to 35 would be lost"},
        {"a tag and the one right behind it", v23 + v23 + audio, {{true, 2 * v23.size(), audio.size()}}, nullptr},
        {"a tag claiming the audio behind it past the end", greedy, {}, "audio bytes 26 to 1693 would be lost"},
        {"a tag cut short in its padding", cutPadding, {}, nullptr},
        {"a tag of an unknown version", v5 + audio, {{true, v5.size(), audio.size()}}, nullptr},
        {"audio frames inside a tag's size, behind its padding", claimed,
         {{true, claimed.size() - audio.size(), audio.size()}}, "audio bytes 126 to 959 would be lost"},
        {"the same in ID3v2.4", v24Claimed, {{true, v24Claimed.size() - audio.size(), audio.size()}},
         "audio bytes 126 to 959 would be lost"},
        {"stray bytes in the padding", junk, {{true, junk.size() - audio.size(), audio.size()}}, nullptr},
        {"ID3v1 and APE at the end", audio + ape + v1, {{true, 0, audio.size()}}, nullptr},
        {"an APE tag claiming the audio before it", v23 + audio + greedyApe + v1,
         {{true, v23.size(), audio.size() - 100}}, "audio bytes 1594 to 1900 would be lost"},
        {"all but the tags", v23 + audio + v1, {}, "audio bytes 26 to 1821 would be lost"},
        {"audio in the middle", audio + audio, {{true, 0, 100}, {true, 200, 2 * audio.size() - 200}},
         "audio bytes 100 to 199 would be lost"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        io::OriginalFile original(dir.put("song.mp3", c.file));
        ASSERT_TRUE(original.isOpen());
        std::vector<io::Piece> pieces = {{false, 0, 40}};  // a new tag
        pieces.insert(pieces.end(), c.kept.begin(), c.kept.end());
        const auto loss = io::findAudioLoss(pieces, original);
        if (c.reason == nullptr)
            EXPECT_FALSE(loss.has_value()) << *loss;
        else
            EXPECT_EQ(loss.value_or(""), c.reason);
    }
}

}  // namespace
}  // namespace tagshifter::test
