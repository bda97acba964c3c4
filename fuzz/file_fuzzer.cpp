// The whole per-file path on arbitrary file contents: the bytes are written
// to a file, which is then processed in preview and in save mode. The last
// byte of the input chooses the targets, the preserve rule, -a and the
// ID3v2 version. A file that
// does not open, an unusable encoding and text that cannot be converted end
// in the tool's Error, which is expected; the preview (shown through the
// JSON face) and every such error must leave the file byte-identical.
#include "app/file_list.h"
#include "app/file_loop.h"
#include "app/output/json_output.h"
#include "app/output/text_output.h"
#include "support/open_conversions.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string scratchFile;

void writeBytes(const std::string& bytes)
{
    std::ofstream out(scratchFile, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        std::abort();
}

std::string readBytes()
{
    std::ifstream in(scratchFile, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// Runs the loop on the scratch file; true when it ended in a fatal error.
bool process(const tagshifter::Settings& settings)
{
    tagshifter::JsonOutput json(1, false);
    tagshifter::TextOutput text(1, false, true);
    tagshifter::FileList files;
    files.names = {scratchFile};
    try {
        tagshifter::processFiles(settings, files,
                                 settings.previewOnly ? static_cast<tagshifter::Output&>(json) : text);
    } catch (const tagshifter::Error&) {
        return true;
    }
    std::fflush(stdout);
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char pattern[] = "/tmp/tagshifter-fuzz-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        std::abort();
    scratchFile = std::string(pattern) + "/input.mp3";
    // The tool's report lines are of no interest here.
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const uint8_t mode = in.ConsumeIntegral<uint8_t>();
    const std::string bytes = in.ConsumeRemainingBytesAsString();

    const char* const id3v1Targets[] = {"none", "cp1251", "koi8-r", "iso-8859-1"};
    const char* const id3v2Targets[] = {"none", "unicode", "cp1251", "koi8-r"};
    tagshifter::Settings settings;
    settings.journal = false;  // a journal file per input would only slow the search
    settings.source = tagshifter::SourceEncoding::parse((mode & 0x20) != 0 ? "unicode" : "cp1251");
    settings.id3v1 = tagshifter::TargetEncoding::parse(id3v1Targets[mode & 3], false);
    settings.id3v2 = tagshifter::TargetEncoding::parse(id3v2Targets[(mode >> 2) & 3], false);
    settings.preserveUnicode = (mode & 0x10) != 0;
    settings.allFrames = (mode & 0x40) != 0;
    settings.id3v2Version = (mode & 0x80) != 0 ? 3 : 4;

    writeBytes(bytes);
    settings.previewOnly = true;
    process(settings);
    if (readBytes() != bytes)
        std::abort();  // the preview changed the file

    settings.previewOnly = false;
    if (process(settings) && readBytes() != bytes)
        std::abort();  // a fatal error left a changed file
    if (tagshifter::test::openConversions() != 0)
        std::abort();
    return 0;
}
