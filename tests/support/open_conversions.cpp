#include "support/open_conversions.h"

#include <dlfcn.h>
#include <iconv.h>

namespace {
int open = 0;

template <typename Function>
Function next(Function, const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}
}  // namespace

extern "C" iconv_t iconv_open(const char* to, const char* from)
{
    static const auto real = next(&iconv_open, "iconv_open");
    const iconv_t conversion = real(to, from);
    open += conversion != reinterpret_cast<iconv_t>(-1);
    return conversion;
}

extern "C" int iconv_close(iconv_t conversion)
{
    static const auto real = next(&iconv_close, "iconv_close");
    --open;
    return real(conversion);
}

namespace tagshifter::test {

int openConversions()
{
    return open;
}

}  // namespace tagshifter::test
