// Writes the seed corpora of the fuzz targets into DIR/recode and DIR/file,
// built from the same fixtures as the tests.
#include "support/fixtures.h"
#include "support/tag_layouts.h"

#include <cstdio>
#include <filesystem>
#include <string>

using namespace tagshifter::test;

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds DIR\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    std::filesystem::create_directories(root / "recode");
    std::filesystem::create_directories(root / "file");

    // Texts for the recoder; the fuzzer takes names and flags from the end.
    const std::string texts[] = {kPrivetCp1251, kPrivetKoi8r, kPrivetUtf8, std::string(600, '\xE9'),
                                 std::string("a\0b", 3), "plain ASCII", "\xFF\xFE\x1F\x04"};
    int count = 0;
    for (const std::string& text : texts)
        for (const char* tail : {"\x01\x02\x03\x00\x01", "\x00\x00\x00\x01\x00", "\xFF\x10\x22\x03\x01"})
            writeFile((root / "recode" / ("seed" + std::to_string(count++))).string(),
                      text + std::string(tail, 5));

    // Whole files, each with every target choice in turn (the last byte).
    count = 0;
    for (const TagLayout& layout : tagLayouts()) {
        if (layout.bytes.size() > 65536)
            continue;
        for (const char mode : {'\x05', '\x0A', '\x37'})
            writeFile((root / "file" / (layout.name + "-" + std::to_string(count++))).string(),
                      layout.bytes + mode);
    }
    std::printf("seeds written to %s\n", argv[1]);
    return 0;
}
