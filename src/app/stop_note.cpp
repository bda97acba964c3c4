#include "app/stop_note.h"

#include "app/stop_signals.h"
#include "common/format.h"
#include "common/messages.h"

namespace tagshifter {

StopNote::StopNote(const Output& output, std::string undoCommand, size_t files)
    : output_(output), undoCommand_(std::move(undoCommand)), files_(files)
{
    update();
}

StopNote::~StopNote()
{
    stop_signals::clearNote();
}

void StopNote::update() const
{
    const Counts& counts = output_.counts();
    const size_t changed = counts.converted - counts.unchanged;
    const std::string total = countOf(files_, messages::kWordFile, messages::kWordFiles);
    std::string note = output_.drawsProgress() ? "\n" : "";
    if (changed == 0)
        note += formatted(messages::kNoteStoppedNothingChanged, counts.shown(), total.c_str());
    else if (undoCommand_.empty())
        note += formatted(messages::kNoteStoppedForGood, counts.shown(), total.c_str(), changed);
    else
        note += formatted(messages::kNoteStopped, counts.shown(), total.c_str(), changed, undoCommand_.c_str(),
                          changed == 1 ? messages::kWordIt : messages::kWordThem);
    stop_signals::setNote(note);
}

}  // namespace tagshifter
