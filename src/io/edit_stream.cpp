#include "io/edit_stream.h"

#include <algorithm>
#include <cstdint>
#include <new>

namespace tagshifter::io {

namespace {

// `size` zero bytes, which a ByteVector counts in 32 bits.
TagLib::ByteVector zeros(uint64_t size)
{
    if (size > UINT32_MAX)
        throw std::bad_alloc();
    return TagLib::ByteVector(static_cast<unsigned int>(size), '\0');
}

}  // namespace

EditStream::EditStream(OriginalFile& original) : original_(original), length_(original.size())
{
    if (length_ > 0)
        pieces_.push_back({true, 0, length_});
}

std::string_view EditStream::writtenBytes(const Piece& piece) const
{
    const size_t chunk = static_cast<size_t>(
        std::upper_bound(writtenStarts_.begin(), writtenStarts_.end(), piece.from) - writtenStarts_.begin() - 1);
    const TagLib::ByteVector& bytes = written_[chunk];
    return std::string_view(bytes.data(), bytes.size()).substr(piece.from - writtenStarts_[chunk], piece.length);
}

void EditStream::appendPiece(const Piece& piece, std::string& out)
{
    if (piece.original)
        original_.read(piece.from, piece.length, out);
    else
        out.append(writtenBytes(piece));
}

std::string EditStream::contentAt(uint64_t offset, uint64_t length)
{
    std::string out;
    const uint64_t end = std::min(length_, offset + length);
    uint64_t at = 0;
    for (const Piece& piece : pieces_) {
        const uint64_t pieceEnd = at + piece.length;
        if (pieceEnd > offset && at < end) {
            const uint64_t skip = offset > at ? offset - at : 0;
            const uint64_t take = std::min(pieceEnd, end) - (at + skip);
            appendPiece({piece.original, piece.from + skip, take}, out);
        }
        at = pieceEnd;
        if (at >= end)
            break;
    }
    return out;
}

std::string_view EditStream::bytesAt(uint64_t offset, uint64_t length, std::string& spill)
{
    const uint64_t end = std::min(length_, offset + length);
    uint64_t at = 0;
    for (const Piece& piece : pieces_) {
        const uint64_t pieceEnd = at + piece.length;
        if (offset < pieceEnd) {
            if (end > pieceEnd)
                break;  // spans pieces
            const uint64_t from = piece.from + (offset - at);
            if (piece.original)
                return original_.bytesAt(from, end - offset, spill);
            return writtenBytes({false, from, end - offset});
        }
        at = pieceEnd;
    }
    spill = contentAt(offset, length);
    return spill;
}

bool EditStream::unchanged() const
{
    return length_ == original_.size()
           && (pieces_.empty() || (pieces_.size() == 1 && pieces_[0].original && pieces_[0].from == 0));
}

TagLib::ByteVector EditStream::readBlock(StreamLength length)
{
    std::string spill;
    const std::string_view bytes = bytesAt(position_, length, spill);
    position_ += bytes.size();
    return TagLib::ByteVector(bytes.data(), static_cast<unsigned int>(bytes.size()));
}

void EditStream::writeBlock(const TagLib::ByteVector& data)
{
    if (position_ > length_)  // a write past the end fills the gap with zeros
        replace(length_, 0, zeros(position_ - length_));
    const uint64_t overwritten = std::min<uint64_t>(data.size(), length_ - position_);
    replace(position_, overwritten, data);
    position_ += data.size();
}

void EditStream::insert(const TagLib::ByteVector& data, StreamStart start, StreamLength replaced)
{
    const uint64_t at = std::min<uint64_t>(start, length_);
    replace(at, std::min<uint64_t>(replaced, length_ - at), data);
}

void EditStream::removeBlock(StreamStart start, StreamLength length)
{
    const uint64_t at = std::min<uint64_t>(start, length_);
    replace(at, std::min<uint64_t>(length, length_ - at), TagLib::ByteVector());
}

void EditStream::seek(StreamOffset offset, Position p)
{
    int64_t base = 0;
    if (p == Current)
        base = static_cast<int64_t>(position_);
    else if (p == End)
        base = static_cast<int64_t>(length_);
    const int64_t target = base + static_cast<int64_t>(offset);
    position_ = target < 0 ? 0 : static_cast<uint64_t>(target);
}

void EditStream::truncate(StreamOffset length)
{
    const uint64_t target = length < 0 ? 0 : static_cast<uint64_t>(length);
    if (target < length_)
        replace(target, length_ - target, TagLib::ByteVector());
    else if (target > length_)
        replace(length_, 0, zeros(target - length_));
}

size_t EditStream::splitAt(uint64_t offset)
{
    uint64_t at = 0;
    for (size_t i = 0; i < pieces_.size(); ++i) {
        if (at == offset)
            return i;
        const Piece piece = pieces_[i];
        if (offset < at + piece.length) {
            const uint64_t head = offset - at;
            pieces_[i].length = head;
            pieces_.insert(pieces_.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                           {piece.original, piece.from + head, piece.length - head});
            return i + 1;
        }
        at += piece.length;
    }
    return pieces_.size();
}

void EditStream::replace(uint64_t start, uint64_t removed, const TagLib::ByteVector& data)
{
    const uint64_t size = data.size();
    const size_t first = splitAt(start);
    const size_t last = splitAt(start + removed);
    pieces_.erase(pieces_.begin() + static_cast<std::ptrdiff_t>(first),
                  pieces_.begin() + static_cast<std::ptrdiff_t>(last));
    if (size > 0) {
        const Piece added{false, writtenSize_, size};
        // Written right behind the last write: one piece and its chunk grow.
        if (first > 0 && !pieces_[first - 1].original
            && pieces_[first - 1].from + pieces_[first - 1].length == added.from) {
            written_.back().append(data);
            pieces_[first - 1].length += size;
        } else {
            written_.push_back(data);
            writtenStarts_.push_back(writtenSize_);
            pieces_.insert(pieces_.begin() + static_cast<std::ptrdiff_t>(first), added);
        }
        writtenSize_ += size;
    }
    length_ = length_ - removed + size;
}

}  // namespace tagshifter::io
