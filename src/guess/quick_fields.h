// The five fields read straight from the bytes of the common tag layouts,
// without TagLib: the guess reads every file of an album before converting it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tagshifter::guess {

// Title, artist, album, comment and genre, each as its Latin-1 bytes, as
// TagLib's combined tag of an MPEG file gives them: the ID3v2 field, else
// the ID3v1 one.
using FiveFields = std::array<std::string, 5>;

// The bytes this reader wants of a file: its first `kQuickHead` bytes (more
// when the ID3v2 tag is longer) and its last `kQuickTail`.
inline constexpr uint64_t kQuickHead = 4096;
inline constexpr uint64_t kQuickTail = 160;

// The fields of a file of `fileSize` bytes that starts with `head` (its whole
// ID3v2 tag, if it fits in the file) and ends with `tail`. Nothing when the
// tags are laid out in any way this reader does not follow exactly as TagLib
// does (no ID3v2 tag at the start, ID3v2.2, unsynchronisation, an extended
// header, a footer, flagged frames, text other than Latin-1, several values
// in a frame, an APE tag, numbered genres...): the caller then asks TagLib.
std::optional<FiveFields> quickFiveFields(const std::string& head, const std::string& tail,
                                          uint64_t fileSize);

// Reads the head and tail of the open file `fd` of `size` bytes (two or
// three reads) and gives quickFiveFields of them; nothing if they cannot be
// read either.
std::optional<FiveFields> readQuickFiveFields(int fd, uint64_t size);

}  // namespace tagshifter::guess
