#include "support/tag_layouts.h"

#include "support/fixtures.h"

namespace tagshifter::test {

const std::string kPrivateFrameBody("tagshifter-test\0\xFF\xE0\x00\x01", 20);

namespace {

std::string bigEndian(uint32_t value, int bytes)
{
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

std::string syncSafe(uint32_t value)
{
    return {static_cast<char>((value >> 21) & 0x7F), static_cast<char>((value >> 14) & 0x7F),
            static_cast<char>((value >> 7) & 0x7F), static_cast<char>(value & 0x7F)};
}

// The frames of one tag version for the five fields; empty fields get no frame.
std::string fieldFrames(int version, const SourceFields& fields, bool unsyncFrames = false)
{
    struct Field {
        const char* v22;
        const char* v23;
        const std::string* text;
        bool comment;
    };
    const Field table[] = {
        {"TT2", "TIT2", &fields.title, false},  {"TP1", "TPE1", &fields.artist, false},
        {"TAL", "TALB", &fields.album, false},  {"COM", "COMM", &fields.comment, true},
        {"TCO", "TCON", &fields.genre, false},
    };
    // A frame the tool does not touch comes first; a save must keep it.
    std::string frames;
    if (version == 3)
        frames += id3v23Frame("PRIV", kPrivateFrameBody);
    else if (version == 4)
        frames += id3v24Frame("PRIV", kPrivateFrameBody);
    for (const Field& field : table) {
        if (field.text->empty())
            continue;
        const std::string body = field.comment ? std::string("\0eng\0", 5) + *field.text
                                               : std::string(1, '\0') + *field.text;
        if (version == 2)
            frames += id3v22Frame(field.v22, body);
        else if (version == 3)
            frames += id3v23Frame(field.v23, body);
        else if (unsyncFrames)
            frames += id3v24Frame(field.v23, unsynchronise(body), 0x02);
        else
            frames += id3v24Frame(field.v23, body);
    }
    return frames;
}

// Frames of ID3v2.3 or 2.4 each flagged to be dropped on any change of the
// tag (status 0x80 in ID3v2.3, 0x40 in 2.4): a flag meant for frames a
// reader does not know.
std::string markedToGoOnChange(int version, std::string frames)
{
    for (size_t at = 0; at + 10 <= frames.size();) {
        uint32_t size = 0;
        for (size_t i = 4; i < 8; ++i)
            size = (size << (version == 4 ? 7 : 8)) | static_cast<uint8_t>(frames[at + i]);
        frames[at + 8] = static_cast<char>(version == 4 ? 0x40 : 0x80);
        at += 10 + size;
    }
    return frames;
}

std::string v1Block(const SourceFields& fields, uint8_t genre = 255)
{
    return id3v1Block(fields.title, fields.artist, fields.album, "2001", fields.comment, genre);
}

// Distinct Cyrillic text (code page 1251) for each layout; `tag` keeps
// layouts apart and fits the 30 bytes of an ID3v1 field.
SourceFields cyrillic(const std::string& tag)
{
    return {kPrivetCp1251 + " " + tag,          // "Привет"
            "\xC0\xEB\xE8\xF1\xE0 " + tag,       // "Алиса"
            "\xCC\xE8\xF0 " + tag,               // "Мир"
            "\xA8\xE6\xE8\xEA " + tag,           // "Ёжик"
            "\xCF\xEE\xEF"};                    // "Поп"
}

}  // namespace

std::string id3v22Frame(const std::string& id, const std::string& body)
{
    return id + bigEndian(static_cast<uint32_t>(body.size()), 3) + body;
}

std::string id3v24Frame(const std::string& id, const std::string& body, uint8_t formatFlags)
{
    return id + syncSafe(static_cast<uint32_t>(body.size())) + '\0'
           + static_cast<char>(formatFlags) + body;
}

std::string unsynchronise(const std::string& bytes)
{
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        if (static_cast<uint8_t>(bytes[i]) != 0xFF)
            continue;
        const bool last = i + 1 == bytes.size();
        if (last || static_cast<uint8_t>(bytes[i + 1]) >= 0xE0 || bytes[i + 1] == '\0')
            out += '\0';
    }
    return out;
}

std::string id3v2Tag(uint8_t majorVersion, uint8_t flags, const std::string& body)
{
    const std::string size = syncSafe(static_cast<uint32_t>(body.size()));
    std::string tag = std::string("ID3") + static_cast<char>(majorVersion) + '\0'
                      + static_cast<char>(flags) + size + body;
    if (majorVersion == 4 && (flags & 0x10) != 0)
        tag += std::string("3DI") + static_cast<char>(majorVersion) + '\0'
               + static_cast<char>(flags) + size;
    return tag;
}

std::string lyrics3v2Block(const std::string& lyrics)
{
    std::string size = std::to_string(lyrics.size());
    std::string body = "LYRICSBEGIN" + std::string("LYR") + std::string(5 - size.size(), '0')
                       + size + lyrics;
    std::string total = std::to_string(body.size());
    return body + std::string(6 - total.size(), '0') + total + "LYRICS200";
}

std::string xingFrame(uint32_t frameCount)
{
    std::string frame = std::string("\xFF\xFB\x90\xC0", 4) + std::string(17, '\0') + "Xing"
                        + bigEndian(0x03, 4) + bigEndian(frameCount, 4)
                        + bigEndian(417 * frameCount, 4);
    frame.resize(417, '\0');
    return frame;
}

std::vector<TagLayout> tagLayouts()
{
    std::vector<TagLayout> layouts;
    auto audio = [&layouts] { return mpegFrames(20, static_cast<uint8_t>(0x11 * layouts.size())); };

    {
        const SourceFields f = cyrillic("v22");
        layouts.push_back({"Id3v22", id3v2Tag(2, 0, fieldFrames(2, f) + std::string(32, '\0')) + audio(), f});
    }
    {
        const SourceFields f = cyrillic("v23");
        layouts.push_back({"Id3v23NoPadding", id3v2Tag(3, 0, fieldFrames(3, f)) + audio(), f});
    }
    {
        const SourceFields f = cyrillic("v24");
        layouts.push_back({"Id3v24", id3v2Tag(4, 0, fieldFrames(4, f) + std::string(64, '\0')) + audio(), f});
    }
    {
        // "яаяя": 0xFF before 0xE0 and before 0xFF both need the inserted zero.
        SourceFields f = cyrillic("v23u");
        f.title = "\xFF\xE0\xFF\xFF v23u";
        layouts.push_back({"Id3v23Unsynchronised",
                           id3v2Tag(3, 0x80, unsynchronise(fieldFrames(3, f)) + std::string(16, '\0'))
                               + audio(),
                           f});
    }
    {
        SourceFields f = cyrillic("v24u");
        f.title = "\xFF\xE0\xFF\xFF v24u";
        // TagLib 2.2 and later read such a frame as empty; the tool's frame
        // factory undoes the unsynchronisation before TagLib reads it.
        layouts.push_back({"Id3v24UnsynchronisedFrames",
                           id3v2Tag(4, 0x80, fieldFrames(4, f, true) + std::string(16, '\0')) + audio(), f});
    }
    {
        const SourceFields f = cyrillic("v23x");
        // Size 6 (not counting itself), no flags, 16 bytes of padding declared.
        const std::string extended = bigEndian(6, 4) + std::string(2, '\0') + bigEndian(16, 4);
        // TagLib reads this size as if it counted itself and, left alone,
        // finds no frames: the tool hands it the size counted its way.
        layouts.push_back({"Id3v23ExtendedHeader",
                           id3v2Tag(3, 0x40, extended + fieldFrames(3, f) + std::string(16, '\0')) + audio(),
                           f});
    }
    {
        SourceFields f = cyrillic("v23xu");
        f.artist = "\xFF\xFF v23xu";
        // Size 10 with a CRC (0xFF in it), the whole tag unsynchronised.
        // TagLib 1.13 also takes the extended header's size off the end of
        // the frames: padding as long stands there.
        const std::string extended = bigEndian(10, 4) + std::string("\x80\0", 2) + bigEndian(0, 4)
                                     + std::string("\xFF\xE1\xFF\x00", 4);
        layouts.push_back({"Id3v23ExtendedHeaderWithCrcUnsynchronised",
                           id3v2Tag(3, 0xC0, unsynchronise(extended + fieldFrames(3, f)) + std::string(16, '\0'))
                               + audio(),
                           f});
    }
    {
        const SourceFields f = cyrillic("v24x");
        // Size 6 (counting itself), one flag byte, no flags set. TagLib 1.13
        // counts the extended header twice and misses the last 6 bytes of
        // frames, so padding follows.
        const std::string extended = syncSafe(6) + '\x01' + '\0';
        layouts.push_back({"Id3v24ExtendedHeader",
                           id3v2Tag(4, 0x40, extended + fieldFrames(4, f) + std::string(16, '\0'))
                               + audio(),
                           f});
    }
    {
        const SourceFields f = cyrillic("v24f");
        // TagLib 1.13 takes the footer off the frames a second time and does
        // not see the last 10 bytes of them: a frame the tool does not read
        // stands there (and is lost on save with that TagLib).
        TagLayout layout{"Id3v24Footer",
                         id3v2Tag(4, 0x10, fieldFrames(4, f) + id3v24Frame("TSSE", std::string("\0x", 2)))
                             + audio(),
                         f};
        layout.mayBeRefused = true;
        layouts.push_back(layout);
    }
    {
        const SourceFields f = cyrillic("v24p");
        // A TXXX frame whose size is a plain number, as some writers put it
        // (300; 172 read sync-safe), then TSSE. TagLib reads the plain number
        // and, if it is 1.13, misses TSSE behind it as above.
        const std::string txxx = std::string("\0note\0", 6) + std::string(294, 'n');
        TagLayout layout{"Id3v24FooterPlainFrameSize",
                         id3v2Tag(4, 0x10, fieldFrames(4, f) + "TXXX" + bigEndian(300, 4) + std::string(2, '\0')
                                               + txxx + id3v24Frame("TSSE", std::string("\0x", 2)))
                             + audio(),
                         f};
        layout.mayBeRefused = true;
        layouts.push_back(layout);
    }
    {
        // The footer flag, undefined in ID3v2.3: no footer follows, the
        // audio starts right behind the tag (TagLib would take its first 10
        // bytes for a footer). No padding: a frame ends the tag.
        const SourceFields f = cyrillic("v23ff");
        layouts.push_back({"Id3v23FooterFlag", id3v2Tag(3, 0x10, fieldFrames(3, f)) + audio(), f});
    }
    {
        // The footer flag of ID3v2.4 without the footer it announces.
        const SourceFields f = cyrillic("v24ff");
        const std::string tag = id3v2Tag(4, 0x10, fieldFrames(4, f) + std::string(8, '\0'));
        layouts.push_back({"Id3v24FooterFlagWithoutFooter", tag.substr(0, tag.size() - 10) + audio(), f});
    }
    for (int version : {3, 4}) {
        // TagLib drops every frame so flagged on save, the title too.
        const SourceFields f = cyrillic("go" + std::to_string(version));
        layouts.push_back({"Id3v2" + std::to_string(version) + "FieldsMarkedToGoOnChange",
                           id3v2Tag(static_cast<uint8_t>(version), 0, markedToGoOnChange(version, fieldFrames(version, f))
                                                                          + std::string(16, '\0'))
                               + audio(),
                           f});
    }
    {
        const SourceFields f = cyrillic("pad");
        layouts.push_back({"LargePadding",
                           id3v2Tag(3, 0, fieldFrames(3, f) + std::string(256 * 1024, '\0')) + audio(), f});
    }
    {
        SourceFields f = cyrillic("grow");
        for (int i = 0; i < 40; ++i)
            f.title += kPrivetCp1251;
        layouts.push_back({"TagGrowsPastPadding",
                           id3v2Tag(3, 0, fieldFrames(3, f) + std::string(8, '\0')) + audio(), f});
    }
    {
        const SourceFields v1 = cyrillic("apev1");
        SourceFields f = v1;
        f.title = "ape title";
        f.artist = "ape artist";
        f.genre = "";
        layouts.push_back({"ApeAndId3v1",
                           audio() + apeTag({{"Title", "ape title"}, {"Artist", "ape artist"}})
                               + v1Block(v1),
                           f});
    }
    {
        SourceFields v2 = cyrillic("ape");
        v2.album = "";
        SourceFields f = v2;
        f.album = "ape album";
        layouts.push_back({"Id3v2AndApeWithoutId3v1",
                           id3v2Tag(3, 0, fieldFrames(3, v2)) + audio() + apeTag({{"Album", "ape album"}}),
                           f});
    }
    {
        SourceFields f = cyrillic("lyr");
        f.genre = "";
        layouts.push_back({"Lyrics3AndId3v1", audio() + lyrics3v2Block("la la la\r\nla") + v1Block(f), f});
    }
    {
        const SourceFields f = cyrillic("junk");
        layouts.push_back({"TrailingGarbage",
                           id3v2Tag(3, 0, fieldFrames(3, f)) + audio()
                               + std::string(1000, 'x') + "not an MPEG frame",
                           f});
    }
    {
        SourceFields f = cyrillic("junk1");
        f.genre = "";
        layouts.push_back({"GarbageBeforeId3v1",
                           audio() + std::string(300, '\x7F') + v1Block(f), f});
    }
    {
        const SourceFields f = cyrillic("vbr");
        layouts.push_back({"XingHeader",
                           id3v2Tag(3, 0, fieldFrames(3, f) + std::string(100, '\0')) + xingFrame(21)
                               + audio(),
                           f});
    }
    {
        const SourceFields f = cyrillic("noaud");
        layouts.push_back({"Id3v2WithoutAudio", id3v2Tag(3, 0, fieldFrames(3, f) + std::string(20, '\0')), f});
    }
    {
        SourceFields f = cyrillic("noaud1");
        f.genre = "";
        layouts.push_back({"Id3v1WithoutAudio", v1Block(f), f});
    }
    {
        SourceFields f = cyrillic("v1");
        f.genre = "Rock";
        layouts.push_back({"Id3v1Only", audio() + v1Block(f, 17), f});
    }
    {
        SourceFields v2 = cyrillic("both");
        v2.album = "";
        v2.comment = "";
        const SourceFields v1 = cyrillic("both1");
        SourceFields f = v2;
        f.album = v1.album;
        f.comment = v1.comment;
        layouts.push_back({"Id3v23AndId3v1", id3v2Tag(3, 0, fieldFrames(3, v2)) + audio() + v1Block(v1), f});
    }
    layouts.push_back({"ZeroLength", "", {}, false});
    layouts.push_back({"NoTags", audio(), {}, false});
    return layouts;
}

}  // namespace tagshifter::test
