#include "text/conversion.h"

namespace tagshifter {

namespace {
int openConversions = 0;
}

bool Conversion::open(const char* to, const char* from)
{
    close();
    descriptor_ = iconv_open(to, from);
    if (!isOpen())
        return false;
    ++openConversions;
    return true;
}

void Conversion::close()
{
    if (!isOpen())
        return;
    iconv_close(descriptor_);  // a failed close has nothing left to undo
    descriptor_ = notOpen();
    --openConversions;
}

int Conversion::openCount()
{
    return openConversions;
}

}  // namespace tagshifter
