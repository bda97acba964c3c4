#include "id3/inflated_size.h"

#include <zlib.h>

#include <algorithm>
#include <array>

namespace tagshifter::id3 {

std::optional<uint64_t> inflatedSize(std::string_view compressed, uint64_t limit)
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return std::nullopt;
    std::array<unsigned char, 16384> window;
    uint64_t total = 0;
    int status = Z_OK;
    size_t given = 0;
    while (status == Z_OK) {
        if (stream.avail_in == 0 && given < compressed.size()) {
            const size_t take = std::min<size_t>(compressed.size() - given, 1u << 30);
            stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data() + given));
            stream.avail_in = static_cast<uInt>(take);
            given += take;
        }
        stream.next_out = window.data();
        stream.avail_out = static_cast<uInt>(window.size());
        status = inflate(&stream, Z_NO_FLUSH);
        total += window.size() - stream.avail_out;
        if (total > limit)
            break;
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END || total > limit)
        return std::nullopt;
    return total;
}

}  // namespace tagshifter::id3
