// Recoding a whole byte string through one open conversion.
#pragma once

#include <iconv.h>

#include <cstddef>
#include <string>

namespace tagshifter {

// The shape of iconv(3). Tests pass their own to make a conversion fail
// part-way through a string or at the final flush.
using IconvCall = size_t (*)(iconv_t, char**, size_t*, char**, size_t*);

inline constexpr size_t kRecodeBufferSize = 1024;

// Converts all of `input` (zero bytes included) in passes through a fixed
// 1024-byte buffer, then flushes the conversion back to its initial state.
// Throws a conversion Error ("Error during encoding.\n") on any failure and
// hands back no partial text.
std::string recodeThrough(iconv_t conversion, const std::string& input, IconvCall call);
// The same for the `size` bytes at `input`, the result begun with `head`
// and with room for `tailRoom` bytes more: a line made round a large text
// is not a copy of it.
std::string recodeThrough(iconv_t conversion, const char* input, size_t size, IconvCall call,
                          std::string head, size_t tailRoom);

}  // namespace tagshifter
