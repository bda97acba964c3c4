// The progress line and the count on standard error: shown only where they
// help, and never mixed into a line of standard output.
#include "app/output/text_output.h"

#include <gtest/gtest.h>

namespace tagshifter::test {
namespace {

struct Streams {
    std::string out, err;
};

Streams runOutput(size_t files, bool terminal)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    TextOutput output(files, terminal, true);
    for (size_t i = 0; i < files; ++i) {
        output.starting(i);
        FileResult result;
        result.path = "song" + std::to_string(i);
        result.outcome = i == 0 ? Outcome::Skipped : Outcome::Unchanged;
        output.file(result);
    }
    output.finish();
    return {testing::internal::GetCapturedStdout(), testing::internal::GetCapturedStderr()};
}

TEST(Output, ProgressOnATerminalAndACountAfterMoreThanOneFile)
{
    const std::string count = "tagshifter: 2 files: 1 converted (1 unchanged), 0 previewed, 1 skipped, 0 failed, 0 refused\n";
    const struct {
        size_t files;
        bool terminal;
        std::string err;
    } cases[] = {
        {1, true, ""},
        {1, false, ""},
        {2, false, count},
        // The progress line is wiped before each line of standard output.
        {2, true, "\rtagshifter: file 1 of 2\033[K\r\033[K\rtagshifter: file 2 of 2\033[K\r\033[K" + count},
    };
    const std::string skip = "song0 does not contain any ID3 tags, skipping.\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.files << (c.terminal ? " on a terminal" : ""));
        const Streams streams = runOutput(c.files, c.terminal);
        EXPECT_EQ(streams.err, c.err);
        EXPECT_EQ(streams.out, c.files == 1 ? skip : skip + "song1...done\n");
    }
}

}  // namespace
}  // namespace tagshifter::test
