#include "text/conversion.h"

namespace tagshifter {

bool Conversion::open(const char* to, const char* from)
{
    close();
    descriptor_ = iconv_open(to, from);
    return isOpen();
}

void Conversion::close()
{
    if (!isOpen())
        return;
    iconv_close(descriptor_);  // a failed close has nothing left to undo
    descriptor_ = notOpen();
}

}  // namespace tagshifter
