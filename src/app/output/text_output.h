// The text face: the specified lines on standard output.
#pragma once

#include "app/output/output.h"

namespace tagshifter {

class TextOutput : public Output {
public:
    // `reportDone`: a converted file gets its "...done" line (not under -q).
    TextOutput(size_t fileCount, bool terminal, bool reportDone)
        : Output(fileCount, terminal), reportDone_(reportDone)
    {
    }

    void journal(const JournalListing& listing) override;

private:
    void show(const FileResult& result) override;
    void close(const Counts& counts, const Error* fatal) override;

    bool reportDone_;
};

}  // namespace tagshifter
