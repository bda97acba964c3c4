#include "io/mpeg_frame.h"

#include <cstdint>

namespace tagshifter::io {

namespace {

uint8_t at8(std::string_view bytes, size_t at)
{
    return static_cast<uint8_t>(bytes[at]);
}

// Version (MPEG 1, 2, 2.5), layer and sample rate: what the frames of one
// stream share.
bool sameStream(std::string_view bytes, size_t first, size_t second)
{
    return (at8(bytes, first + 1) & 0xFE) == (at8(bytes, second + 1) & 0xFE)
           && (at8(bytes, first + 2) & 0x0C) == (at8(bytes, second + 2) & 0x0C);
}

}  // namespace

size_t mpegFrameLength(std::string_view bytes, size_t at)
{
    if (at + 4 > bytes.size() || at8(bytes, at) != 0xFF || (at8(bytes, at + 1) & 0xE0) != 0xE0)
        return 0;
    const int version = (at8(bytes, at + 1) >> 3) & 3;  // 0: 2.5, 2: 2, 3: 1
    const int layer = (at8(bytes, at + 1) >> 1) & 3;    // 1: III, 2: II, 3: I
    const int bitrateIndex = at8(bytes, at + 2) >> 4;
    const int rateIndex = (at8(bytes, at + 2) >> 2) & 3;
    const int padding = (at8(bytes, at + 2) >> 1) & 1;
    if (version == 1 || layer == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return 0;
    static const int kBitrates[2][3][15] = {
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
    static const int kRates[3] = {44100, 48000, 32000};
    const bool mpeg1 = version == 3;
    const int layerIndex = 3 - layer;  // 0: I, 1: II, 2: III
    const long bitrate = kBitrates[mpeg1 ? 0 : 1][layerIndex][bitrateIndex] * 1000L;
    const long rate = kRates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    if (layerIndex == 0)
        return static_cast<size_t>((12 * bitrate / rate + padding) * 4);
    const long perSample = layerIndex == 2 && !mpeg1 ? 72 : 144;
    return static_cast<size_t>(perSample * bitrate / rate + padding);
}

size_t findMpegAudio(std::string_view bytes, size_t from)
{
    for (size_t at = bytes.find('\xFF', from); at != std::string_view::npos; at = bytes.find('\xFF', at + 1)) {
        const size_t length = mpegFrameLength(bytes, at);
        if (length != 0 && mpegFrameLength(bytes, at + length) != 0 && sameStream(bytes, at, at + length))
            return at;
    }
    return std::string_view::npos;
}

}  // namespace tagshifter::io
