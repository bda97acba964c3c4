// What the command line asks for; read-only once the options are read.
#pragma once

#include <string>

namespace tagshifter {

struct Settings {
    std::string sourceEncoding;          // empty until -s is given
    std::string id3v1Encoding = "none";  // "none" removes the tag
    std::string id3v2Encoding = "none";
    bool preserveUnicode = false;
    bool previewOnly = false;
    bool reportProgress = true;
    bool syncWrites = false;  // fsync each written file and its folder
};

}  // namespace tagshifter
