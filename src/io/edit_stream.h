// A TagLib stream over the original file that records what TagLib writes,
// inserts and removes as a list of pieces, instead of moving file data: the
// new file is then written in one pass by the commit.
#pragma once

#include "io/original_file.h"

#include <taglib/taglib.h>
#include <taglib/tiostream.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tagshifter::io {

#if TAGLIB_MAJOR_VERSION >= 2
using StreamOffset = TagLib::offset_t;
using StreamStart = TagLib::offset_t;
using StreamLength = size_t;
#else
using StreamOffset = long;
using StreamStart = unsigned long;
using StreamLength = unsigned long;
#endif

// A run of the new content: bytes of the original file, or bytes TagLib wrote.
struct Piece {
    bool original = true;
    uint64_t from = 0;  // offset in the original file, or in the written bytes
    uint64_t length = 0;
};

class EditStream : public TagLib::IOStream {
public:
    explicit EditStream(OriginalFile& original);

    TagLib::FileName name() const override { return original_.name().c_str(); }
    TagLib::ByteVector readBlock(StreamLength length) override;
    void writeBlock(const TagLib::ByteVector& data) override;
    void insert(const TagLib::ByteVector& data, StreamStart start = 0,
                StreamLength replace = 0) override;
    void removeBlock(StreamStart start = 0, StreamLength length = 0) override;
    // Whether the file may be written is settled when it is committed.
    bool readOnly() const override { return false; }
    bool isOpen() const override { return original_.isOpen(); }
    void seek(StreamOffset offset, Position p = Beginning) override;
    void clear() override {}
    StreamOffset tell() const override { return static_cast<StreamOffset>(position_); }
    StreamOffset length() override { return static_cast<StreamOffset>(length_); }
    void truncate(StreamOffset length) override;

    // The new content as it stands.
    const std::vector<Piece>& pieces() const { return pieces_; }
    uint64_t contentLength() const { return length_; }
    // Appends the bytes of one piece, or of [offset, offset + length) of the
    // new content.
    void appendPiece(const Piece& piece, std::string& out);
    // The bytes of a piece TagLib wrote (not an original one), which lie in
    // one chunk. Valid until the next edit.
    std::string_view writtenBytes(const Piece& piece) const;
    std::string contentAt(uint64_t offset, uint64_t length);
    // The same bytes without a copy where they lie in one piece (and, for
    // the original's, in one of its windows); elsewhere gathered into
    // `spill`. Valid until the next read or edit.
    std::string_view bytesAt(uint64_t offset, uint64_t length, std::string& spill);
    // Nothing was changed: the new content is the original file.
    bool unchanged() const;
    // The bytes written so far; a written piece's `from` counts in them.
    uint64_t writtenSize() const { return writtenSize_; }

private:
    // Replaces [start, start + removed) by `data`.
    void replace(uint64_t start, uint64_t removed, const TagLib::ByteVector& data);
    // Splits the piece that spans `offset` so that one starts there; returns
    // its index (pieces_.size() at the end).
    size_t splitAt(uint64_t offset);

    OriginalFile& original_;
    std::vector<Piece> pieces_;
    // The bytes TagLib wrote, a chunk a write (a write right behind the last
    // one grows it). A chunk shares the bytes TagLib handed over, which it
    // lets go of when the save returns: a large tag is held once, not copied.
    // `from` of a written piece counts across them.
    std::vector<TagLib::ByteVector> written_;
    std::vector<uint64_t> writtenStarts_;
    uint64_t writtenSize_ = 0;
    uint64_t length_ = 0;
    uint64_t position_ = 0;
};

}  // namespace tagshifter::io
