// tagshifter --undo: the files of a journal put back as they were, or, with
// --list, the journals kept.
#pragma once

#include "app/settings.h"

namespace tagshifter {

// Returns the exit status: 1 when a file was left alone or not written.
// A journal that cannot be read ends the run with a built message.
int runUndo(const Settings& settings);

}  // namespace tagshifter
