#include "convert/recode.h"

#include "common/error.h"
#include "common/messages.h"

#include <algorithm>
#include <cerrno>

namespace tagshifter {

std::string recodeThrough(iconv_t conversion, const std::string& input, IconvCall call)
{
    return recodeThrough(conversion, input.data(), input.size(), call, std::string(), 0);
}

std::string recodeThrough(iconv_t conversion, const char* input, size_t size, IconvCall call,
                          std::string head, size_t tailRoom)
{
    std::string result = std::move(head);
    const size_t headSize = result.size();
    // Room for as many bytes as come in, grown (once, for a text of one
    // kind throughout) to what the rest takes at the rate so far: a large
    // text is not held in a buffer grown by doubling.
    result.reserve(headSize + size + tailRoom);
    char buffer[kRecodeBufferSize];
    // iconv(3) takes a char** for the input but only reads through it.
    char* in = const_cast<char*>(input);
    size_t inLeft = size;

    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        if (call(conversion, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1)
            && (errno != E2BIG || out == buffer))  // no progress would loop forever
            throw Error(Error::Kind::Conversion, messages::kEncodingError);
        const size_t produced = static_cast<size_t>(out - buffer);
        if (result.size() + produced + tailRoom > result.capacity()) {
            const size_t consumed = std::max<size_t>(1, size - inLeft);
            const double rest = double(result.size() - headSize + produced) / double(consumed) * double(inLeft);
            result.reserve(result.size() + produced + static_cast<size_t>(rest) + kRecodeBufferSize + tailRoom);
        }
        result.append(buffer, produced);
    }

    // Brings a stateful encoding back to its initial shift state, so the
    // next string starts clean on the same conversion.
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    if (call(conversion, nullptr, nullptr, &out, &outLeft) == static_cast<size_t>(-1))
        throw Error(Error::Kind::Conversion, messages::kEncodingError);
    result.append(buffer, static_cast<size_t>(out - buffer));
    return result;
}

}  // namespace tagshifter
