// The progress line and the count on standard error: shown only where they
// help, and never mixed into a line of standard output.
#include "app/report.h"

#include <gtest/gtest.h>

namespace tagshifter::test {
namespace {

struct Streams {
    std::string out, err;
};

Streams runReport(size_t files, bool terminal)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    Report report(files, terminal);
    for (size_t i = 0; i < files; ++i) {
        report.starting(i);
        report.printLine("song" + std::to_string(i) + "...done\n");
        report.count(i == 0 ? Outcome::Skipped : Outcome::Converted);
    }
    report.finish();
    return {testing::internal::GetCapturedStdout(), testing::internal::GetCapturedStderr()};
}

TEST(Report, ProgressOnATerminalAndACountAfterMoreThanOneFile)
{
    const struct {
        size_t files;
        bool terminal;
        std::string err;
    } cases[] = {
        {1, true, ""},
        {1, false, ""},
        {2, false, "tagshifter: 2 files: 1 converted, 0 previewed, 1 skipped, 0 failed\n"},
        // The progress line is wiped before each line of standard output.
        {2, true, "\rtagshifter: file 1 of 2\033[K\r\033[K\rtagshifter: file 2 of 2\033[K\r\033[K"
                  "tagshifter: 2 files: 1 converted, 0 previewed, 1 skipped, 0 failed\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.files << (c.terminal ? " on a terminal" : ""));
        const Streams streams = runReport(c.files, c.terminal);
        EXPECT_EQ(streams.err, c.err);
        EXPECT_EQ(streams.out, c.files == 1 ? "song0...done\n" : "song0...done\nsong1...done\n");
    }
}

}  // namespace
}  // namespace tagshifter::test
