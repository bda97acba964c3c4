// The raw frame walker on the layouts TagLib mishandles, and the guard's
// verdict on the tags before and after a save: losses, emptied frames and
// renames are caught, the upgrade rules are not.
#include "io/frame_guard.h"
#include "id3/id3v2.h"
#include "support/fixtures.h"
#include "support/id3_reader.h"
#include "support/tag_layouts.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tagshifter::test {
namespace {

using namespace std::string_literals;

const TagLayout& layoutNamed(const char* name)
{
    static const std::vector<TagLayout> all = tagLayouts();
    return *std::find_if(all.begin(), all.end(), [&](const TagLayout& l) { return l.name == name; });
}

std::vector<std::string> idsOf(const io::RawTag& tag)
{
    std::vector<std::string> ids;
    for (const io::RawFrame& frame : tag.frames)
        ids.push_back(frame.id + (frame.empty ? "(empty)" : ""));
    return ids;
}

TEST(FrameWalker, ReadsEveryFrameOfTheFooterAndUnsynchronisedLayouts)
{
    const std::vector<std::string> fields = {"PRIV", "TIT2", "TPE1", "TALB", "COMM", "TCON"};
    std::vector<std::string> withFooter = fields;
    withFooter.push_back("TSSE");  // the last frame, which TagLib does not see
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"Id3v24Footer", withFooter},
        {"Id3v24UnsynchronisedFrames", fields},
        {"Id3v23Unsynchronised", fields},
        {"Id3v24ExtendedHeader", fields},
        {"Id3v23ExtendedHeader", fields},
    };
    for (const auto& [name, ids] : cases) {
        SCOPED_TRACE(name);
        const std::string& bytes = layoutNamed(name).bytes;
        const auto tag = io::readRawTag(bytes);
        ASSERT_TRUE(tag.has_value());
        EXPECT_EQ(idsOf(*tag), ids);
        EXPECT_EQ(tag->end, id3::readTagHeader(bytes)->totalSize());
    }
    // A text frame of only a byte order mark holds nothing.
    const auto bom = io::readRawTag(id3v23Tag(textFrame("TIT3", "\xFF\xFE", 1)));
    ASSERT_TRUE(bom.has_value());
    EXPECT_EQ(idsOf(*bom), std::vector<std::string>{"TIT3(empty)"});
}

io::RawTag walked(const std::string& bytes)
{
    auto tag = io::readRawTag(bytes);
    EXPECT_TRUE(tag.has_value());
    return tag ? *tag : io::RawTag{};
}

std::string v22(const std::vector<std::string>& ids)
{
    std::string frames;
    for (const std::string& id : ids)
        frames += id3v22Frame(id, std::string("\0text", 5));
    return id3v2Tag(2, 0, frames);
}

std::string v23(const std::vector<std::string>& ids, uint8_t status = 0, uint8_t format = 0)
{
    std::string frames;
    for (const std::string& id : ids) {
        std::string frame = textFrame(id, format ? "\x01text" : "text");  // the group byte or method
        frame[8] = static_cast<char>(status);
        frame[9] = static_cast<char>(format);
        frames += frame;
    }
    return id3v2Tag(3, 0, frames);
}

// TagLib writes a private frame back as it read it: the layouts' one.
std::string v24(const std::vector<std::string>& ids, const std::string& body = std::string("\0text", 5))
{
    std::string frames;
    for (const std::string& id : ids)
        frames += id3v24Frame(id, id == "PRIV" ? kPrivateFrameBody : body);
    return id3v2Tag(4, 0, frames);
}

TEST(FrameGuard, CatchesLossesButNotTheUpgradeRules)
{
    struct Case {
        const char* name;
        std::vector<std::string> before;  // whole tags, one after the other
        std::string after;
        int writtenVersion;
        std::string verdict;  // empty: nothing lost
    };
    const std::string footer = layoutNamed("Id3v24Footer").bytes;
    auto compressed = [](const std::string& size) {  // a PRIV frame marked compressed
        std::string frame = id3v23Frame("PRIV", size + "x\x9C stands for zlib data");
        frame[9] = '\x80';
        return id3v2Tag(3, 0, frame);
    };
    const std::string unsync = layoutNamed("Id3v24UnsynchronisedFrames").bytes;
    // zlib's "owner\0" and "data" 50 times.
    const std::string zlibPriv("\x78\x9C\xCB\x2F\xCF\x4B\x2D\x62\x48\x49\x2C\x49\x1C\x0E\x18\x00\x2B\xED\x52\x40", 20);
    // A frame of no text, before and after: TagLib writes back what it parsed.
    auto as23 = [](const std::string& id, const std::string& body) { return id3v23Tag(id3v23Frame(id, body)); };
    auto as24 = [](const std::string& id, const std::string& body) { return id3v2Tag(4, 0, id3v24Frame(id, body)); };
    const std::string counter("a@b\0\x05\0\0\0\0\0\x01", 11);  // a play counter of five bytes
    const std::vector<Case> cases = {
        {"footer: last frame dropped", {footer}, v24({"PRIV", "TIT2", "TPE1", "TALB", "COMM", "TCON"}),
         4, "frame TSSE would be lost"},
        {"footer: all kept", {footer}, v24({"PRIV", "TIT2", "TPE1", "TALB", "COMM", "TCON", "TSSE"}), 4,
         ""},
        {"unsynchronised: PRIV emptied", {unsync},
         v24({"TIT2", "TPE1", "TALB", "COMM", "TCON"}) , 4, "frame PRIV would be lost"},
        {"unsynchronised: title emptied", {unsync},
         v24({"PRIV"}, "x"), 4, "frame TIT2 would be lost"},
        {"emptied frame", {v23({"TIT2", "TPE1"})}, v24({"TIT2", "TPE1"}, std::string("\x03", 1)), 4,
         "frame TIT2 would be emptied"},
        {"renamed other than by the upgrade", {v23({"TIT2"})}, v24({"TIT1"}), 4,
         "frame TIT2 would be lost"},
        {"ID3v2.2 renames, both successors of TOA and TXT",
         {v22({"TT2", "TOA", "TXT", "TYE", "PIC", "TOA", "TXT"})},
         v24({"TIT2", "TOPE", "TEXT", "TDRC", "APIC", "TOAL", "TOLY"}), 4, ""},
        {"ID3v2.2 frames without a successor", {v22({"TT2", "TIM", "TDA", "XYZ", "CRM"})},
         v24({"TIT2"}), 4, ""},
        {"ID3v2.3 merged and dropped frames",
         {v23({"TYER", "TDAT", "TIME", "TORY", "TRDA", "TSIZ", "RVAD", "EQUA"})},
         v24({"TDRC", "TDOR"}), 4, ""},
        // The flag is for frames a reader does not know: text stays.
        {"unknown frame discarded on alteration", {v23({"XSOP"}, 0x80)}, v24({}), 4, ""},
        {"text marked to go on alteration", {v23({"TIT2", "TENC"}, 0x80)}, v24({"TENC"}), 4,
         "frame TIT2 would be lost"},
        {"grouped frame, written back without its group", {v23({"TXXX"}, 0, 0x20)}, v24({"TXXX"}), 4,
         "frame TXXX is grouped or encrypted, which TagLib does not keep"},
        {"encrypted frame, written back as plain", {v23({"TPE2"}, 0, 0x40)}, v24({"TPE2"}), 3,
         "frame TPE2 is grouped or encrypted, which TagLib does not keep"},
        {"encrypted ID3v2.4 frame", {id3v2Tag(4, 0, id3v24Frame("TIT2", "\x01" "text", 0x04))}, v24({"TIT2"}), 4,
         "frame TIT2 is grouped or encrypted, which TagLib does not keep"},
        {"grouped, but discarded on alteration", {v23({"TENC"}, 0x80, 0x20)}, v24({}), 4, ""},
        {"second tag dropped", {v23({"TIT2"}), v23({"TPE2"})}, v24({"TIT2"}), 4,
         "frame TPE2 would be lost"},
        {"writing ID3v2.3", {v24({"TDRC", "TDOR", "TSOP", "TIT2"})}, v23({"TYER", "TORY", "TIT2"}), 3,
         ""},
        {"writing ID3v2.3, lost", {v24({"TDRC", "TPE2"})}, v23({"TYER"}), 3,
         "frame TPE2 would be lost"},
        {"iTunes' ID3v2.2 ids in ID3v2.3", {id3v23Tag(id3v23Frame(std::string("TT1\0", 4), std::string("\0g", 2)))},
         v24({"TIT1"}), 4, ""},
        {"frame behind the padding", {id3v23Tag(textFrame("TIT2", "t") + std::string(10, '\0') + textFrame("TPE1", "a"))},
         v24({"TIT2"}), 4, "the tag cannot be read past frame TIT2"},
        {"stray bytes behind the padding", {id3v23Tag(textFrame("TIT2", "t") + std::string(10, '\0') + "x\x01")},
         v24({"TIT2"}), 4, ""},
        {"walk stopped before the end", {id3v2Tag(4, 0, id3v24Frame("TIT2", std::string("\0t", 2)) + "junk" + v24({"TSSE"}))},
         v24({"TIT2", "TSSE"}), 4, "the tag cannot be read past frame TIT2"},
        // TagLib reads as many bytes as a data length indicator says.
        {"data length short of the content",
         {id3v2Tag(4, 0, id3v24Frame("PRIV", std::string("\0\0\0\x03owner\0data", 14), 0x01))}, v24({"PRIV"}),
         4, "frame PRIV gives a data length by which TagLib misreads it"},
        // 300 bytes before compression, which TagLib reads as 172 and
        // inflates no further; 100 it reads as it is.
        {"compressed size TagLib reads sync-safe", {compressed(std::string("\0\0\x01\x2C", 4))}, v24({"PRIV"}), 4,
         "frame PRIV gives a data length by which TagLib misreads it"},
        {"compressed size TagLib reads as it is", {compressed(std::string("\0\0\0\x64", 4))}, v24({"PRIV"}), 4, ""},
        // An ID3v2.4 frame's data length is checked against what its
        // zlib data inflates to (206 bytes), which TagLib 2 inflates no further.
        {"compressed ID3v2.4 frame, its length right",
         {id3v2Tag(4, 0, id3v24Frame("PRIV", std::string("\0\0\x01\x4E", 4) + zlibPriv, 0x09))}, v24({"PRIV"}), 4, ""},
        {"compressed ID3v2.4 frame, its length short",
         {id3v2Tag(4, 0, id3v24Frame("PRIV", std::string("\0\0\0\x64", 4) + zlibPriv, 0x09))}, v24({"PRIV"}), 4,
         "frame PRIV gives a data length by which TagLib misreads it"},
        {"data length of the content, unsynchronised by the tag's header",
         {id3v2Tag(4, 0x80, id3v24Frame("PRIV", std::string("\0\0\0\x04", 4) + unsynchronise(std::string("o\0\xFF\xE0", 4)), 0x01))},
         id3v2Tag(4, 0, id3v24Frame("PRIV", std::string("o\0\xFF\xE0", 4))), 4, ""},
        {"frame behind stray bytes in the padding",
         {id3v23Tag(textFrame("TIT2", "t") + std::string(10, '\0') + "x\x01" + textFrame("TPE1", "a"))},
         v24({"TIT2"}), 4, "the tag cannot be read past frame TIT2"},
        // An extended header that does not fit the tag: TagLib looks for
        // frames at its first byte, and finds none.
        {"ID3v2.3 extended header larger than the tag",
         {id3v2Tag(3, 0x40, std::string("\0\0\x13\x88\0\0\0\0\0\0", 10) + textFrame("TIT2", "t"))}, v24({}), 4,
         "the tag's frames cannot be read"},
        {"ID3v2.4 extended header larger than the tag",
         {id3v2Tag(4, 0x40, std::string("\0\x06\x0D\x20\x01\0", 6) + id3v24Frame("TIT2", std::string("\0t", 2)))},
         v24({}), 4, "the tag's frames cannot be read"},
        // TagLib reads a size that is not sync-safe as a plain number.
        {"ID3v2.4 extended header sized as a plain number",
         {id3v2Tag(4, 0x40, std::string("\0\0\0\x86\x01\0", 6) + std::string(0x80, '\0') + id3v24Frame("TIT2", std::string("\0t", 2)))},
         v24({}), 4, "frame TIT2 would be lost"},
        // ID3v2.2's compression bit, which TagLib takes for an extended header.
        {"compressed ID3v2.2 tag", {id3v2Tag(2, 0x40, "x\x9C" + v22({"TT2"}).substr(10))}, v24({}), 4,
         "the tag's frames cannot be read"},
        // TagLib parses frames of no text into fields: a malformed one comes
        // back other than it was; zeros it adds or drops at the end do not count.
        {"private frame without the end of its owner, written back twice", {as23("PRIV", "ownerdata")},
         as24("PRIV", std::string("ownerdata\0ownerdata", 19)), 4, "frame PRIV would be written back changed"},
        {"play counter longer than TagLib keeps", {as23("POPM", counter)}, as24("POPM", counter.substr(0, 9)), 4,
         "frame POPM would be written back changed"},
        {"play counter TagLib adds as zeros", {as23("POPM", std::string("a@b\0\x05", 5))},
         as24("POPM", counter.substr(0, 9)), 4, ""},
        {"link whose terminator TagLib drops", {as23("WCOM", std::string("http://x\0", 9))}, as24("WCOM", "http://x"),
         4, ""},
        {"link with bytes behind its terminator", {as23("WCOM", std::string("http://x\0junk", 13))},
         as24("WCOM", "http://x"), 4, "frame WCOM would be written back changed"},
        {"private frames written back in another order",
         {id3v23Tag(id3v23Frame("PRIV", std::string("a\0x", 3)) + id3v23Frame("PRIV", std::string("b\0y", 3)))},
         id3v2Tag(4, 0, id3v24Frame("PRIV", std::string("b\0y", 3)) + id3v24Frame("PRIV", std::string("a\0x", 3))), 4,
         ""},
        // TagLib 2.2 and later move the musicians of an older tag's list to TMCL.
        {"involved people of ID3v2.3, all musicians",
         {id3v23Tag(textFrame("IPLS", std::string("Guitar\0John", 11)) + textFrame("TIPL", std::string("Bass\0Ann", 8)))},
         id3v2Tag(4, 0, id3v24Frame("TMCL", std::string("\0Guitar\0John", 12)) + id3v24Frame("TMCL", std::string("\0Bass\0Ann", 9))),
         4, ""},
        {"involved people of ID3v2.2, all musicians", {id3v2Tag(2, 0, id3v22Frame("IPL", std::string("\0Guitar\0John", 12)))},
         v24({"TMCL"}), 4, ""},
        // A UTF-16 description ended by one zero byte: TagLib reads the link
        // as part of it.
        {"user link behind a description without its end", {as23("WXXX", std::string("\x01\xFF\xFE" "d\0\0http://x", 14))},
         as24("WXXX", std::string("\x03\xE6\x90\x80\xE7\x90\xA8\0", 8)), 4, "frame WXXX would be written back changed"},
        {"user link kept", {as23("WXXX", std::string("\x01\xFF\xFE" "d\0\0\0http://x\0", 16))},
         as24("WXXX", std::string("\x03" "d\0http://x", 11)), 4, ""},
        // Frames other than text frames that start with an encoding byte.
        {"user link in an encoding ID3v2 does not have", {as23("WXXX", std::string("\x05" "d\0http://x", 11))},
         as24("WXXX", std::string("\x03\0\x05" "d", 4)), 4,
         "frame WXXX holds text in an encoding ID3v2 does not have, which TagLib misreads"},
        {"picture in an encoding ID3v2 does not have", {as23("APIC", std::string("\x09image/png\0\x03" "d\0DATA", 19))},
         as24("APIC", std::string("\x03image/png\0\x03\0DATA", 17)), 4,
         "frame APIC holds text in an encoding ID3v2 does not have, which TagLib misreads"},
        // Frames of fields, which TagLib renders in its own encoding: what
        // they mean must come back; one TagLib cannot read as it stands, its
        // very bytes.
        {"picture in UTF-16 written back in UTF-8", {as23("APIC", "\x01image/png\0\x03\xFF\xFE" "d\0\xE9\0\0\0PNG"s)},
         as24("APIC", "\x03image/png\0\x03" "d\xC3\xA9\0PNG"s), 4, ""},
        {"picture whose description has no end", {as23("APIC", "\0image/png\0\x03" "descPNG"s)},
         as24("APIC", "\x03image/png\0\x03\0descPNG"s), 4, "frame APIC would be written back changed"},
        {"picture of a UTF-16 description without its byte order mark",
         {as23("APIC", "\x01image/png\0\x03" "d\0\0\0PNG"s)},
         as24("APIC", "\x03image/png\0\x03\0PNG"s), 4, "frame APIC would be written back changed"},
        {"picture TagLib cannot read, written back as it was", {as23("APIC", "\0image/png\0\x03" "descPNG"s)},
         as24("APIC", "\0image/png\0\x03" "descPNG"s), 4, ""},
        {"object whose description has no end", {as23("GEOB", "\0text/plain\0f.txt\0descDATA"s)},
         as24("GEOB", "\x03text/plain\0f.txt\0\0descDATA"s), 4, "frame GEOB would be written back changed"},
        {"lyrics whose lines follow the description's byte order",
         {as23("SYLT", "\x01" "eng\x02\x01\xFF\xFE" "d\0\0\0" "l\0a\0\0\0\0\0\0\x64"s)},
         as24("SYLT", "\x03" "eng\x02\x01" "d\0la\0\0\0\0\x64"s), 4, ""},
        {"lyrics line cut short", {as23("SYLT", "\0eng\x02\x01" "d\0la\0\0\0\x64"s)},
         as24("SYLT", "\x03" "eng\x02\x01" "d\0"s), 4, "frame SYLT would be written back changed"},
        {"ownership without the end of its price", {as23("OWNE", "\0USD9.9920200101Shop"s)},
         as24("OWNE", "\x03\0USD9.9920200101Shop"s), 4, "frame OWNE would be written back changed"},
        {"table of contents counting an entry it lacks", {as23("CTOC", "toc\0\x03\x03" "c1\0c2\0"s)},
         as24("CTOC", "toc\0\x03\x03" "c1\0c2\0\0"s), 4, "frame CTOC would be written back changed"},
        {"table of contents counting an entry short", {as23("CTOC", "toc\0\x03\x01" "c1\0c2\0"s)},
         as24("CTOC", "toc\0\x03\x01" "c1\0"s), 4, "frame CTOC would be written back changed"},
        {"table of contents whose title is converted",
         {as23("CTOC", "toc\0\x03\x01" "c1\0"s + id3v23Frame("TIT2", "\0t"s))},
         as24("CTOC", "toc\0\x03\x01" "c1\0"s + id3v24Frame("TIT2", "\x03t"s)), 4, ""},
        {"ID3v2.2 compression bit on plain frames", {id3v2Tag(2, 0x40, v22({"TT2"}).substr(10))}, v24({"TIT2"}), 4,
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<io::RawTag> before;
        for (const std::string& tag : c.before)
            before.push_back(walked(tag));
        const auto verdict = io::findFrameLoss(before, walked(c.after), c.writtenVersion);
        EXPECT_EQ(verdict.value_or(""), c.verdict);
    }
    // No new tag at all: every frame that held something is lost.
    EXPECT_EQ(io::findFrameLoss({walked(v23({"TIT2"}))}, std::nullopt).value_or(""),
              "frame TIT2 would be lost");
}

TEST(FrameGuard, RefusedFileIsLeftAsItWasAndTheReasonGoesToStandardError)
{
    const TagLayout& layout = layoutNamed("Id3v24Footer");
    TempDir dir;
    const std::string path = dir.file("song.mp3");
    const std::string other = dir.file("other.mp3");
    writeFile(path, layout.bytes);
    writeFile(other, layoutNamed("Id3v24").bytes);
    const RunResult result = runInProcess({"-q", "-s", "cp1251", "-2", "unicode", path, other});
    if (result.out.empty())
        GTEST_SKIP() << "this TagLib keeps the last frame of a tag with a footer";
    EXPECT_EQ(result.out, path + "failed!\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "tagshifter: " + path + ": not written: frame TSSE would be lost\n"
                          "tagshifter: 2 files: 1 converted (0 unchanged), 0 previewed, 0 skipped, 0 failed, 1 refused\n");
    EXPECT_TRUE(readFile(path) == layout.bytes);
    EXPECT_FALSE(readFile(other) == layoutNamed("Id3v24").bytes) << "the run goes on";
}

// A frame of fields TagLib cannot read as it stands is written back byte
// for byte or the file is refused, whatever the TagLib; well-formed ones
// convert, their contents kept.
TEST(FrameGuard, MalformedFieldsAreKeptOrTheFileRefused)
{
    struct Case {
        const char* name;
        std::string frame;
        const char* kept;  // well formed: bytes the frame still ends in; nullptr: malformed
    };
    const Case cases[] = {
        {"picture, UTF-16 description", id3v23Frame("APIC", "\x01image/png\0\x03\xFF\xFE" "d\0\xE9\0\0\0PNGDATA"s), "PNGDATA"},
        {"picture, description without its end", id3v23Frame("APIC", "\0image/png\0\x03" "descPNGDATA"s), nullptr},
        {"object, description without its end", id3v23Frame("GEOB", "\0text/plain\0f.txt\0descDATA"s), nullptr},
        {"lyrics", id3v23Frame("SYLT", "\0eng\x02\x01" "d\0la\0\0\0\0\x64"s), "la"},
        {"lyrics, UTF-16 description without its end", id3v23Frame("SYLT", "\x01" "eng\x02\x01\xFF\xFE" "d\0"s), nullptr},
        {"ownership", id3v23Frame("OWNE", "\0USD9.99\0" "20200101Shop"s), "Shop"},
        {"ownership, price without its end", id3v23Frame("OWNE", "\0USD9.9920200101Shop"s), nullptr},
        {"table of contents, one entry counted of two", id3v23Frame("CTOC", "toc\0\x03\x01" "c1\0c2\0"s), nullptr},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string original = id3v23Tag(textFrame("TIT2", kPrivetCp1251) + c.frame) + mpegFrames(8);
        const std::string path = dir.put("song.mp3", original);
        const RunResult result = runInProcess({"-q", "--no-journal", "-s", "cp1251", "-2", "unicode", path});
        const std::string id = c.frame.substr(0, 4);
        const auto tag = readId3v2(readFile(path));
        ASSERT_TRUE(tag.has_value());
        const auto frame = std::find_if(tag->frames.begin(), tag->frames.end(),
                                        [&](const Id3v2Frame& f) { return f.id == id; });
        if (c.kept) {
            EXPECT_EQ(result.status, 0) << result.err;
            ASSERT_NE(frame, tag->frames.end());
            EXPECT_NE(frame->body.find(c.kept), std::string::npos) << frame->body;
        } else if (result.status == 0) {
            ASSERT_NE(frame, tag->frames.end());
            EXPECT_TRUE(frame->body == c.frame.substr(10)) << "written back changed";
        } else {
            EXPECT_EQ(result.err, "tagshifter: " + path + ": not written: frame " + id + " would be written back changed\n");
            EXPECT_TRUE(readFile(path) == original);
        }
    }
}

}  // namespace
}  // namespace tagshifter::test
