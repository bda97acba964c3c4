// An open iconv conversion that closes itself.
#pragma once

#include <iconv.h>

namespace tagshifter {

class Conversion {
public:
    Conversion() = default;
    ~Conversion() { close(); }
    Conversion(const Conversion&) = delete;
    Conversion& operator=(const Conversion&) = delete;

    // Opens a conversion from `from` to `to`, closing any held before.
    // The result of iconv_open is kept as it is, so a refused conversion
    // leaves this handle not open.
    bool open(const char* to, const char* from);
    void close();

    bool isOpen() const { return descriptor_ != notOpen(); }
    iconv_t descriptor() const { return descriptor_; }

    static iconv_t notOpen() { return reinterpret_cast<iconv_t>(-1); }

private:
    iconv_t descriptor_ = notOpen();
};

}  // namespace tagshifter
