#include "convert/recode.h"

#include "common/error.h"
#include "common/messages.h"

#include <cerrno>

namespace tagshifter {

std::string recodeThrough(iconv_t conversion, const std::string& input, IconvCall call)
{
    std::string result;
    char buffer[kRecodeBufferSize];
    // iconv(3) takes a char** for the input but only reads through it.
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();

    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        if (call(conversion, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1)
            && (errno != E2BIG || out == buffer))  // no progress would loop forever
            throw Error(Error::Kind::Conversion, messages::kEncodingError);
        result.append(buffer, static_cast<size_t>(out - buffer));
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
