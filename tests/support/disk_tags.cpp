#include "support/disk_tags.h"

#include <cstdint>

namespace tagshifter::test {

namespace {

const size_t kId3v1Size = 128;
const size_t kApeFooterSize = 32;

uint32_t byteAt(const std::string& bytes, size_t at)
{
    return static_cast<unsigned char>(bytes[at]);
}

uint32_t bigEndian(const std::string& bytes, size_t at)
{
    return byteAt(bytes, at) << 24 | byteAt(bytes, at + 1) << 16 | byteAt(bytes, at + 2) << 8
           | byteAt(bytes, at + 3);
}

uint32_t syncSafe(const std::string& bytes, size_t at)
{
    return byteAt(bytes, at) << 21 | byteAt(bytes, at + 1) << 14 | byteAt(bytes, at + 2) << 7
           | byteAt(bytes, at + 3);
}

uint32_t littleEndian(const std::string& bytes, size_t at)
{
    return byteAt(bytes, at) | byteAt(bytes, at + 1) << 8 | byteAt(bytes, at + 2) << 16
           | byteAt(bytes, at + 3) << 24;
}

std::string withoutTrailingZeros(std::string text)
{
    text.erase(text.find_last_not_of('\0') + 1);
    return text;
}

bool hasId3v1(const std::string& bytes)
{
    return bytes.size() >= kId3v1Size && bytes.compare(bytes.size() - kId3v1Size, 3, "TAG") == 0;
}

}  // namespace

const DiskFrame* DiskId3v2::find(const std::string& id) const
{
    for (const DiskFrame& frame : frames)
        if (frame.id == id)
            return &frame;
    return nullptr;
}

std::optional<DiskId3v2> readId3v2(const std::string& bytes)
{
    if (bytes.size() < 10 || bytes.compare(0, 3, "ID3") != 0)
        return std::nullopt;
    DiskId3v2 tag;
    tag.majorVersion = static_cast<int>(byteAt(bytes, 3));
    const bool hasFooter = byteAt(bytes, 5) & 0x10;
    const size_t end = 10 + syncSafe(bytes, 6);
    tag.size = end + (hasFooter ? 10 : 0);
    size_t at = 10;
    while (at + 10 <= end && end <= bytes.size() && bytes[at] != '\0') {
        const size_t frameSize = tag.majorVersion >= 4 ? syncSafe(bytes, at + 4) : bigEndian(bytes, at + 4);
        if (at + 10 + frameSize > end)
            break;
        tag.frames.push_back({bytes.substr(at, 4), bytes.substr(at + 10, frameSize)});
        at += 10 + frameSize;
    }
    return tag;
}

std::string frameText(const DiskFrame& frame)
{
    return frame.body.empty() ? std::string() : withoutTrailingZeros(frame.body.substr(1));
}

std::optional<DiskId3v1> readId3v1(const std::string& bytes)
{
    if (!hasId3v1(bytes))
        return std::nullopt;
    const std::string block = bytes.substr(bytes.size() - kId3v1Size);
    return DiskId3v1{withoutTrailingZeros(block.substr(3, 30)),
                     withoutTrailingZeros(block.substr(33, 30)),
                     withoutTrailingZeros(block.substr(63, 30)),
                     withoutTrailingZeros(block.substr(97, 28))};
}

bool hasApeTag(const std::string& bytes)
{
    return bytes.find("APETAGEX") != std::string::npos;
}

std::string audioOf(const std::string& bytes)
{
    std::string audio = bytes;
    if (const auto id3v2 = readId3v2(audio))
        audio.erase(0, id3v2->size);
    if (hasId3v1(audio))
        audio.resize(audio.size() - kId3v1Size);
    if (audio.size() >= kApeFooterSize
        && audio.compare(audio.size() - kApeFooterSize, 8, "APETAGEX") == 0) {
        const bool hasHeader = littleEndian(audio, audio.size() - kApeFooterSize + 20) & (1u << 31);
        const size_t size = littleEndian(audio, audio.size() - kApeFooterSize + 12) + (hasHeader ? 32 : 0);
        audio.resize(size <= audio.size() ? audio.size() - size : 0);
    }
    return audio;
}

}  // namespace tagshifter::test
