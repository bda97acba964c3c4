// Byte-level MP3 fixtures laid out as legacy tag writers wrote them, and
// helpers to run the tool on them.
#pragma once

#include "app/file_loop.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tagshifter::test {

// `count` MPEG-1 Layer III frames (128 kbit/s, 44.1 kHz, mono, 417 bytes
// each); `seed` varies the payload so that audio bytes can be told apart.
std::string mpegFrames(int count, uint8_t seed = 0x55);

// One ID3v2.3 frame: id, flags zero, the body as given.
std::string id3v23Frame(const std::string& id, const std::string& body);
// A text frame (TIT2, TPE1, ...) with an encoding byte and the raw text.
std::string textFrame(const std::string& id, const std::string& text, uint8_t encoding = 0);
// A COMM frame with language "eng" and an empty description.
std::string commentFrame(const std::string& text, uint8_t encoding = 0);
// A TXXX frame (`id` "TXXX"), or a COMM or USLT frame with language "eng":
// encoding byte, description and text, each text already in the encoding
// (see utf16WithBom).
std::string describedFrame(const std::string& id, uint8_t encoding, const std::string& description,
                           const std::string& text);
// UTF-8 text as UTF-16 little-endian behind a byte order mark.
std::string utf16WithBom(const std::string& utf8);
// An ID3v2.3 tag around the frames, followed by `padding` zero bytes.
std::string id3v23Tag(const std::string& frames, size_t padding = 0);

// A 128-byte ID3v1.1 block; fields longer than their room are cut.
std::string id3v1Block(const std::string& title, const std::string& artist,
                       const std::string& album, const std::string& year = "",
                       const std::string& comment = "", uint8_t genre = 255);

// An APEv2 tag with header and footer holding the given text items.
std::string apeTag(const std::vector<std::pair<std::string, std::string>>& items);

// The text of "Привет" and friends as legacy tags held it.
extern const std::string kPrivetCp1251;   // CF F0 E8 E2 E5 F2
extern const std::string kPrivetKoi8r;    // F0 D2 C9 D7 C5 D4
extern const std::string kPrivetUtf8;     // D0 9F D1 80 D0 B8 D0 B2 D0 B5 D1 82

// A scratch directory removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Writes `bytes` to the file `name` in the folder; returns its path.
    std::string put(const std::string& name, const std::string& bytes) const;

private:
    std::string path_;
};

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;  // runInProcess only
};

// Runs the built program as a child process; standard error is discarded.
RunResult runProgram(const std::vector<std::string>& args);

// Runs the tool in this process with `save` in place of the real save.
RunResult runInProcess(const std::vector<std::string>& args, const SaveFile& save = saveTags);

}  // namespace tagshifter::test
