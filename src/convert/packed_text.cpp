#include "convert/packed_text.h"

#include "convert/frame_factory.h"

#include <taglib/commentsframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/taglib.h>
#include <taglib/textidentificationframe.h>
#include <taglib/unsynchronizedlyricsframe.h>

#include <cstdint>
#include <algorithm>
#include <memory>
#include <optional>
#include <typeinfo>
#include <vector>

namespace tagshifter {

namespace {

using TagLib::ByteVector;
using TagLib::String;
using TagLib::ID3v2::CommentsFrame;
using TagLib::ID3v2::Frame;
using TagLib::ID3v2::TextIdentificationFrame;
using TagLib::ID3v2::UnsynchronizedLyricsFrame;
using TagLib::ID3v2::UserTextIdentificationFrame;

// Calls `put` with each character of `text` read in `from` (UTF-16 as the
// frame writes it, a little-endian BOM first); false when the text is not
// valid there.
template <typename Put>
bool forEachCharacter(std::string_view text, String::Type from, Put put)
{
    const auto byte = [&text](size_t i) { return char32_t{static_cast<unsigned char>(text[i])}; };
    if (from == String::Latin1) {
        for (size_t i = 0; i < text.size(); ++i)
            put(byte(i));
        return true;
    }
    if (from == String::UTF16) {
        if (text.size() < 2 || text.size() % 2 != 0 || byte(0) != 0xFF || byte(1) != 0xFE)
            return false;
        for (size_t i = 2; i < text.size(); i += 2) {
            char32_t unit = byte(i) | byte(i + 1) << 8;
            if (unit >= 0xDC00 && unit <= 0xDFFF)
                return false;
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                const char32_t low = i + 3 < text.size() ? byte(i + 2) | byte(i + 3) << 8 : 0;
                if (low < 0xDC00 || low > 0xDFFF)
                    return false;
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
            put(unit);
        }
        return true;
    }
    if (from != String::UTF8)
        return false;
    for (size_t i = 0; i < text.size();) {
        const char32_t lead = byte(i);
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        if (i + length > text.size() || (lead >= 0x80 && lead < 0xC2) || lead >= 0xF5)
            return false;
        char32_t point = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            if ((byte(i + k) & 0xC0) != 0x80)
                return false;
            point = point << 6 | (byte(i + k) & 0x3F);
        }
        static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (point < kLeast[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
            return false;
        put(point);
        i += length;
    }
    return true;
}

// The bytes of `c` in `to` as String::data writes them; 0 when `to` cannot
// hold it (the frame would widen its encoding).
size_t encodedSize(char32_t c, String::Type to)
{
    switch (to) {
    case String::Latin1: return c < 0x100 ? 1 : 0;
    case String::UTF8: return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    case String::UTF16: return c < 0x10000 ? 2 : 4;
    default: return 0;
    }
}

char* encode(char32_t c, String::Type to, char* out)
{
    auto put = [&out](char32_t byte) { *out++ = static_cast<char>(byte); };
    if (to == String::Latin1) {
        put(c);
    } else if (to == String::UTF16) {
        const auto unit = [&put](char32_t u) { put(u & 0xFF), put(u >> 8); };
        if (c < 0x10000)
            unit(c);
        else
            unit(0xD800 + ((c - 0x10000) >> 10)), unit(0xDC00 + (c & 0x3FF));
    } else if (c < 0x80) {
        put(c);
    } else if (c < 0x800) {
        put(0xC0 | c >> 6), put(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        put(0xE0 | c >> 12), put(0x80 | (c >> 6 & 0x3F)), put(0x80 | (c & 0x3F));
    } else {
        put(0xF0 | c >> 18), put(0x80 | (c >> 12 & 0x3F)), put(0x80 | (c >> 6 & 0x3F)), put(0x80 | (c & 0x3F));
    }
    return out;
}

// `prefix`, then `text` read in `from` and written in `to`; nothing when
// `to` cannot hold it.
std::optional<ByteVector> joined(const ByteVector& prefix, std::string_view text, String::Type from, String::Type to)
{
    uint64_t size = prefix.size() + (to == String::UTF16 ? 2 : 0);
    bool holds = true;
    const bool valid = forEachCharacter(text, from, [&](char32_t c) {
        const size_t bytes = encodedSize(c, to);
        holds = holds && bytes != 0;
        size += bytes;
    });
    if (!valid || !holds || size > UINT32_MAX)
        return std::nullopt;
    ByteVector out(static_cast<unsigned int>(size), '\0');
    char* at = out.data();
    at = std::copy(prefix.begin(), prefix.end(), at);
    if (to == String::UTF16)
        at = encode(0xFEFF, to, at);
    forEachCharacter(text, from, [&](char32_t c) { at = encode(c, to, at); });
    return out;
}

// How many packed frames there are: with none, nothing need be looked up.
size_t livePacked = 0;

struct Counted {
    Counted() { ++livePacked; }
    ~Counted() { --livePacked; }
    Counted(const Counted&) = delete;
    Counted& operator=(const Counted&) = delete;
};

// A frame of TagLib's `Base` whose text is held as the bytes it writes.
// The frame itself holds an empty text, which tells what comes before the
// text when rendered.
template <typename Base>
class Packed : public Base {
public:
    using Base::Base;

    // Renders `text` (read in `from`) for ID3v2.`version`.
    bool pack(std::string_view text, String::Type from, unsigned int version)
    {
        this->header()->setVersion(version);
        Base::setText(String());
        std::optional<ByteVector> fields = rendered(text, from, prefixSize_);
        if (!fields)
            return false;
        fields_ = *fields;
        version_ = version;
        return true;
    }

    bool isPacked() const { return version_ != 0; }
    String toString() const override { return version_ == 0 ? Base::toString() : String(textBytes(), encoding()); }
#if TAGLIB_MAJOR_VERSION >= 2
    TagLib::StringList toStringList() const override
    {
        return version_ == 0 ? Base::toStringList() : TagLib::StringList(toString());
    }
#endif
    // A text set later (a setter that finds this frame) replaces the packed one.
    void setText(const String& text) override
    {
        fields_ = ByteVector();
        version_ = 0;
        Base::setText(text);
    }

protected:
    ByteVector renderFields() const override
    {
        if (version_ == 0)
            return Base::renderFields();
        if (this->header()->version() == version_)
            return fields_;
        // Another version: UTF-8 and UTF-16 trade places.
        const ByteVector text = textBytes();
        unsigned int prefix = 0;
        return rendered(std::string_view(text.data(), text.size()), encoding(), prefix).value_or(fields_);
    }

private:
    std::optional<ByteVector> rendered(std::string_view text, String::Type from, unsigned int& prefixSize) const
    {
        const ByteVector empty = Base::renderFields();
        if (empty.isEmpty())
            return std::nullopt;
        const auto to = static_cast<String::Type>(static_cast<unsigned char>(empty[0]));
        const ByteVector tail = String().data(to);
        if (tail.size() > empty.size()
            || !std::equal(tail.begin(), tail.end(), empty.end() - tail.size()))
            return std::nullopt;
        prefixSize = empty.size() - tail.size();
        return joined(empty.mid(0, prefixSize), text, from, to);
    }
    String::Type encoding() const { return static_cast<String::Type>(static_cast<unsigned char>(fields_[0])); }
    ByteVector textBytes() const { return fields_.mid(prefixSize_); }

    ByteVector fields_;
    unsigned int version_ = 0;
    unsigned int prefixSize_ = 0;
    Counted counted_;
};

// TagLib 1 keeps a frame's header to the frame classes.
const FrameHeader* headerOf(const Frame& frame)
{
#if TAGLIB_MAJOR_VERSION >= 2
    return frame.header();
#else
    struct Reader : Frame {
        static const FrameHeader* of(const Frame& of) { return (of.*&Reader::header)(); }
    };
    return Reader::of(frame);
#endif
}

using PackedText = Packed<TextIdentificationFrame>;
using PackedUserText = Packed<UserTextIdentificationFrame>;
using PackedComment = Packed<CommentsFrame>;
using PackedLyrics = Packed<UnsynchronizedLyricsFrame>;

template <typename Made>
std::unique_ptr<Frame> packedIf(std::unique_ptr<Made> made, std::string_view text, String::Type from,
                                 unsigned int version)
{
    if (made->pack(text, from, version))
        return made;
    return nullptr;
}

std::unique_ptr<Frame> packed(const Frame& frame, std::string_view text, String::Type from, unsigned int version)
{
    if (typeid(frame) == typeid(TextIdentificationFrame)) {
        const auto& plain = static_cast<const TextIdentificationFrame&>(frame);
        return packedIf(std::make_unique<PackedText>(plain.frameID(), plain.textEncoding()), text, from, version);
    }
    if (typeid(frame) == typeid(UserTextIdentificationFrame)) {
        const auto& user = static_cast<const UserTextIdentificationFrame&>(frame);
        auto made = std::make_unique<PackedUserText>(user.textEncoding());
        made->setDescription(user.description());
        return packedIf(std::move(made), text, from, version);
    }
    if (typeid(frame) == typeid(CommentsFrame)) {
        const auto& comment = static_cast<const CommentsFrame&>(frame);
        auto made = std::make_unique<PackedComment>(comment.textEncoding());
        made->setLanguage(comment.language());
        made->setDescription(comment.description());
        return packedIf(std::move(made), text, from, version);
    }
    if (typeid(frame) == typeid(UnsynchronizedLyricsFrame)) {
        const auto& lyrics = static_cast<const UnsynchronizedLyricsFrame&>(frame);
        auto made = std::make_unique<PackedLyrics>(lyrics.textEncoding());
        made->setLanguage(lyrics.language());
        made->setDescription(lyrics.description());
        return packedIf(std::move(made), text, from, version);
    }
    return nullptr;
}

}  // namespace

bool packText(TagLib::ID3v2::Tag& tag, Frame& frame, std::string_view text, bool utf8, int version)
{
    // A frame the writer asked to drop on any change is not written at all.
    if (headerOf(frame)->tagAlterPreservation() || text.find('\0') != std::string_view::npos)
        return false;
    std::unique_ptr<Frame> made =
        packed(frame, text, utf8 ? String::UTF8 : String::Latin1, static_cast<unsigned int>(version));
    if (!made)
        return false;
    // The tag adds frames only at its end: the ones behind are taken off
    // and put back, in order, after the new one.
    std::vector<Frame*> behind;
    bool seen = false;
    for (Frame* each : tag.frameList()) {
        if (seen)
            behind.push_back(each);
        seen = seen || each == &frame;
    }
    if (!seen)
        return false;
    tag.removeFrame(&frame, true);
    for (Frame* each : behind)
        tag.removeFrame(each, false);
    tag.addFrame(made.release());
    for (Frame* each : behind)
        tag.addFrame(each);
    return true;
}

bool holdsPackedText(const TagLib::Tag& tag, const char* id)
{
    if (livePacked == 0)
        return false;
    const auto* id3v2 = dynamic_cast<const TagLib::ID3v2::Tag*>(&tag);
    if (id3v2 == nullptr)
        return false;
    const TagLib::ID3v2::FrameListMap& frames = id3v2->frameListMap();
    const auto found = frames.find(id);
    if (found == frames.end() || found->second.isEmpty())
        return false;
    // The frame the tag's getter reads: the first, or for the comment the
    // first without a description.
    const Frame* read = found->second.front();
    for (const Frame* frame : found->second) {
        const auto* comment = dynamic_cast<const CommentsFrame*>(frame);
        if (comment != nullptr && comment->description().isEmpty()) {
            read = frame;
            break;
        }
    }
    const auto* text = dynamic_cast<const PackedText*>(read);
    const auto* comment = dynamic_cast<const PackedComment*>(read);
    return (text != nullptr && text->isPacked()) || (comment != nullptr && comment->isPacked());
}

}  // namespace tagshifter
