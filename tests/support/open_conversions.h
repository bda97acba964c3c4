// The conversions open in this program, counted by standing in for the C
// library's iconv_open and iconv_close, so that a check can see that nothing
// is left open after an error.
#pragma once

namespace tagshifter::test {

int openConversions();

}  // namespace tagshifter::test
