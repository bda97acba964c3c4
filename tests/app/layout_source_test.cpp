// -s auto end to end on the layouts of a real library beyond plain legacy
// frames (tests/guess/layout_set.h): each album a folder, the real program
// run once per list, every field checked on disk.
#include "guess/guess_support.h"
#include "guess/layout_set.h"
#include "support/fixtures.h"
#include "support/id3_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <map>

namespace tagshifter::test {
namespace {

const std::string kAudio = mpegFrames(2);

struct Field {
    std::string frame;   // as stored
    std::string wanted;  // in UTF-8 after the run
};

// One field of `text` in `album`'s layout. `index` 0 is the artist;
// `fixWanted` says whether the run should give the text back.
Field layoutField(const std::string& id, const std::string& text, const LayoutAlbum& album, size_t index,
                  bool fixWanted)
{
    const std::string layout = album.layout;
    if (layout == "unicode" || (layout == "lone" && index > 0))
        return {textFrame(id, utf16WithBom(text), 1), text};
    const std::string bytes = storedIn(text, album.page);
    if (layout == "via-cp1252" || layout == "via-mac") {
        const std::string shown = shownThrough(bytes, layout == "via-mac" ? "MACINTOSH" : "CP1252");
        return {textFrame(id, utf16WithBom(shown), 1), fixWanted ? text : shown};
    }
    return {textFrame(id, bytes), fixWanted ? text : shownThrough(bytes, "ISO-8859-1")};
}

struct Tally {
    int right = 0, files = 0;
    double share() const { return files ? 100.0 * right / files : 100.0; }
};

// Runs `list` (a natural list, or "auto") over the albums, one folder each,
// and adds each file's verdict to `tallies` by layout.
// With -1 auto, `id3v1` counts the files to fix whose ID3v1 title holds
// the bytes of their own page.
void runAndScore(const std::vector<const LayoutAlbum*>& albums, const std::string& list,
                 std::map<std::string, Tally>& tallies, Tally& id3v1)
{
    TempDir dir;
    struct Made {
        std::string path, layout;
        std::vector<std::pair<std::string, std::string>> wanted;  // id, text
        std::string id3v1Title;  // the title in its own page's bytes, when fixed
    };
    std::vector<Made> made;
    for (size_t a = 0; a < albums.size(); ++a) {
        const LayoutAlbum& album = *albums[a];
        const std::string folder = dir.file(std::to_string(a));
        mkdir(folder.c_str(), 0755);
        const bool fix = std::string(album.layout) != "unicode"
                         && (std::string(album.layout) != "missing" || list == "auto");
        for (size_t t = 0; t < album.tracks.size(); ++t) {
            Made file{folder + "/" + std::to_string(t) + ".mp3", album.layout, {}, {}};
            if (fix)
                file.id3v1Title = storedIn(album.tracks[t].title, album.page).substr(0, 30);
            std::string frames;
            const std::pair<const char*, const char*> fields[] = {
                {"TPE1", album.artist}, {"TALB", album.album}, {"TIT2", album.tracks[t].title}};
            for (size_t i = 0; i < 3; ++i) {
                const Field field = layoutField(fields[i].first, fields[i].second, album, i, fix);
                frames += field.frame;
                file.wanted.emplace_back(fields[i].first, field.wanted);
            }
            if (*album.comment) {
                frames += commentFrame(storedIn(album.comment, "ISO-8859-1"));
                file.wanted.emplace_back("COMM", album.comment);
            }
            writeFile(file.path, id3v23Tag(frames) + kAudio);
            made.push_back(file);
        }
    }
    std::vector<std::string> args = {"-q", "-s", list == "auto" ? list : "auto:" + list, "-1", "auto",
                                     "-2", "unicode"};
    for (const auto& file : made)
        args.push_back(file.path);
    EXPECT_EQ(runProgram(args).status, 0) << list;

    for (const auto& file : made) {
        const auto tag = readId3v2(readFile(file.path));
        bool right = tag.has_value();
        std::string found;
        for (const auto& [id, wanted] : file.wanted) {
            const auto text = tag ? frameText(*tag, id) : std::nullopt;
            const std::string value = text ? toUtf8(*text) : "(none)";
            right = right && value == wanted;
            found += " / " + value;
        }
        if (!file.id3v1Title.empty()) {
            const auto tag = readId3v1(readFile(file.path));
            ++id3v1.files, id3v1.right += tag && tag->title == file.id3v1Title;
            if (!tag || tag->title != file.id3v1Title)
                std::printf("  ID3v1 under %s: %s [%s] not in its own page\n", list.c_str(), file.path.c_str(),
                            file.layout.c_str());
        }
        Tally& tally = tallies[file.layout];
        ++tally.files, tally.right += right;
        if (!right)
            std::printf("  wrong under %s: %s [%s] came out as%s\n", list.c_str(), file.path.c_str(),
                        file.layout.c_str(), found.c_str());
    }
}

TEST(LayoutEvaluation, EachLayoutOnDisk)
{
    std::map<std::string, std::vector<const LayoutAlbum*>> byList;
    std::vector<const LayoutAlbum*> all;
    for (const auto& album : layoutAlbums()) {
        byList[album.list].push_back(&album);
        all.push_back(&album);
    }
    std::map<std::string, Tally> natural, automatic;
    Tally id3v1;
    for (const auto& [list, albums] : byList)
        runAndScore(albums, list, natural, id3v1);
    runAndScore(all, "auto", automatic, id3v1);

    std::printf("layout set, files wholly right on disk\n %-12s %18s %18s\n", "layout", "natural list", "auto");
    for (const auto& [layout, tally] : natural) {
        const Tally& a = automatic[layout];
        std::printf(" %-12s %5.1f %% (%3d/%3d) %5.1f %% (%3d/%3d)\n", layout.c_str(), tally.share(),
                    tally.right, tally.files, a.share(), a.right, a.files);
        // Genuine text and a list that misses the page: nothing may change.
        const bool control = layout == "unicode" || layout == "missing";
        EXPECT_GE(tally.share(), control ? 100.0 : 95.0) << layout;
        EXPECT_GE(a.share(), layout == "unicode" ? 100.0 : 90.0) << layout;
    }
    EXPECT_EQ(natural.size(), 6u);  // every layout ran
    std::printf(" -1 auto, ID3v1 in the file's own page: %5.1f %% (%d/%d)\n", id3v1.share(), id3v1.right,
                id3v1.files);
    EXPECT_GE(id3v1.share(), 95.0);
}

}  // namespace
}  // namespace tagshifter::test
