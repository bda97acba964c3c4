// The JSON face (--json): one JSON object a line on standard output, one
// for each file and a summary at the end; the schema is in the man page.
#pragma once

#include "app/output/output.h"

namespace tagshifter {

class JsonOutput : public Output {
public:
    using Output::Output;

    void journal(const JournalListing& listing) override;

private:
    void show(const FileResult& result) override;
    void showUnreadable(const std::string& folder, const std::string& why) override;
    void close(const Counts& counts, const Error* fatal) override;
};

}  // namespace tagshifter
