// Little-endian numbers and sized strings, written to and read from a
// journal record.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace tagshifter::undo {

class RecordWriter {
public:
    // Room for `size` bytes, so that a record known in advance grows once.
    void reserve(size_t size) { bytes_.reserve(size); }
    void u8(uint8_t value) { bytes_.push_back(static_cast<char>(value)); }
    void u64(uint64_t value)
    {
        char little[8];
        for (int i = 0; i < 8; ++i)
            little[i] = static_cast<char>(value >> (8 * i));
        bytes_.append(little, 8);
    }
    void text(const std::string& value)
    {
        u64(value.size());
        bytes_ += value;
    }
    const std::string& bytes() const { return bytes_; }
    // The bytes written, handed over without a copy: a record holding a
    // large tag's old bytes is not held twice.
    std::string take() { return std::move(bytes_); }

private:
    std::string bytes_;
};

// Reads what a RecordWriter wrote; once a read runs past the end, ok() is
// false and every later read gives zero.
class RecordReader {
public:
    explicit RecordReader(const std::string& bytes) : bytes_(bytes) {}
    uint8_t u8()
    {
        if (!has(1))
            return 0;
        return static_cast<uint8_t>(bytes_[at_++]);
    }
    uint64_t u64()
    {
        if (!has(8))
            return 0;
        uint64_t value = 0;
        for (int i = 0; i < 8; ++i)
            value |= static_cast<uint64_t>(static_cast<unsigned char>(bytes_[at_ + i])) << (8 * i);
        at_ += 8;
        return value;
    }
    std::string text()
    {
        const uint64_t size = u64();
        if (!has(size))
            return {};
        std::string value = bytes_.substr(at_, size);
        at_ += size;
        return value;
    }
    bool ok() const { return ok_; }
    bool atEnd() const { return at_ == bytes_.size(); }

private:
    bool has(uint64_t size)
    {
        ok_ = ok_ && size <= bytes_.size() - at_;
        return ok_;
    }
    const std::string& bytes_;
    size_t at_ = 0;
    bool ok_ = true;
};

}  // namespace tagshifter::undo
