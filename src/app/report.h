// What a run tells its user beside the specified lines: on standard error,
// where a file failed, how far a long run has got, and the count at the end.
#pragma once

#include <cstddef>
#include <string>

namespace tagshifter {

enum class Outcome { Converted, Previewed, Skipped, Failed };

class Report {
public:
    // `showProgress`: standard error is a terminal that a progress line may
    // be redrawn on.
    Report(size_t fileCount, bool showProgress);

    // Before file number `index` (from 0).
    void starting(size_t index);
    // A line for standard output, byte for byte; the progress line makes room.
    void printLine(const std::string& line);
    void count(Outcome outcome);

    void cannotOpenFile(const std::string& name);
    // The new content was not committed: the guard refused it, or the disk did.
    void notWritten(const std::string& name, const std::string& reason);
    void cannotConvert(const std::string& name, const std::string& where,
                       const std::string& conversion);
    // For the constant messages about the encoding names; false when
    // `message` is not one of them.
    bool badEncoding(const char* message, const std::string& name, const std::string& source,
                     const std::string& id3v1, const std::string& id3v2);

    // A line for standard error; the progress line makes room.
    void note(const std::string& line);

    // The one-line count, when the run had more than one file.
    void finish();

private:
    void clearProgress();

    size_t fileCount_;
    bool showProgress_;
    bool progressShown_ = false;
    size_t counts_[4] = {};
};

}  // namespace tagshifter
