// A batch of copies of one file, converted by the program and stopped by a
// signal at a random moment, round after round: what each round leaves.
#pragma once

#include "support/child_process.h"
#include "support/fixtures.h"

#include <random>
#include <string>
#include <vector>

namespace tagshifter::test {

class StoppedBatch {
public:
    // Makes `files` copies of `original` in `dir` and times one whole batch
    // run with `options`, so that the signals can land inside one.
    StoppedBatch(const TempDir& dir, const std::string& original, int files,
                 const std::vector<std::string>& options);

    // Puts every copy back as it was, starts the program over them and
    // sends `signal` after a random part of a batch's time.
    ChildOutcome stopOnce(int signal);
    // The same, but at a point the run cannot pass: its "...done" lines go
    // into a pipe of one page that nobody reads, each long enough that the
    // pipe is full before half the batch is saved. Once it is, the run can
    // save at most one more file before it blocks; `signal` then lands with
    // the first files saved and the last ones untouched, however loaded the
    // machine.
    ChildOutcome stopMidway(int signal);

    // After a round: copies wholly as they were and wholly saved. Any other
    // copy is torn, and a test failure.
    struct Count {
        int oldFiles = 0;
        int newFiles = 0;
        int torn = 0;
        bool midBatch() const { return oldFiles > 0 && newFiles > 0; }
    };
    Count count() const;

private:
    std::string original_;
    std::string saved_;  // the file as a whole run saves it
    std::vector<std::string> names_;
    std::vector<std::string> args_;
    double batchSeconds_ = 0;
    std::mt19937 random_{20261209};
};

}  // namespace tagshifter::test
