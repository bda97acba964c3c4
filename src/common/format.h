// printf-style formatting into a string, for texts built around names.
#pragma once

#include <string>

namespace tagshifter {

std::string formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace tagshifter
