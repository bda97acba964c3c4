// printf-style formatting into a string, for texts built around names.
#pragma once

#include <cstddef>
#include <string>

namespace tagshifter {

std::string formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));

// "1 file", "2 files": `count` and the word that goes with it.
std::string countOf(size_t count, const char* singular, const char* plural);

}  // namespace tagshifter
