#include "app/output/text_output.h"

#include "common/format.h"
#include "common/messages.h"
#include "sys/process.h"

namespace tagshifter {

std::string formatErrorLine(const std::string& message)
{
    return messages::kErrorPrefix + message + "\n";
}

void TextOutput::show(const FileResult& result)
{
    switch (result.outcome) {
    case Outcome::Skipped:
        print(result.path + messages::kSkipSuffix);
        break;
    case Outcome::Previewed:
        print(result.preview);
        break;
    case Outcome::Converted:
    case Outcome::Unchanged:
    case Outcome::Restored:
        if (reportDone_)
            print(result.path + messages::kDoneSuffix);
        break;
    case Outcome::Failed:
    case Outcome::Refused:
        if (!result.error || result.error->kind == Error::Kind::SaveFailed
            || result.error->kind == Error::Kind::NotWritten || result.error->kind == Error::Kind::Refused)
            print(result.path + messages::kFailedSuffix);
        else if (!result.stops)  // a run that stops prints the line last
            print(formatErrorLine(result.error->what()));
        break;
    }
}

void TextOutput::journal(const JournalListing& listing)
{
    const std::string time = sys::utcText(listing.started, messages::kJournalListTime);
    std::string name = listing.undo ? listing.name + messages::kJournalOfUndo : listing.name;
    if (listing.next)
        name += messages::kJournalTakenNext;
    const std::string files = formatted(listing.files == 1 ? messages::kOneFile : messages::kFiles, listing.files);
    print(formatted(messages::kJournalListLine, time.c_str(), listing.folder.c_str(), files.c_str(), listing.bytes,
                    name.c_str()));
}

void TextOutput::close(const Counts&, const Error* fatal)
{
    if (fatal)
        print(formatErrorLine(fatal->what()));
}

}  // namespace tagshifter
