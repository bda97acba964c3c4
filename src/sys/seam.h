// Where a test can step into a save: fail a step as the system would, or act
// between two steps (swap a folder, grow the file) to replay a race exactly.
#pragma once

#include <functional>

namespace tagshifter::sys {

enum class Step {
    Open,             // between the look at the name and its opening
    Check,            // before the file is compared with what was read
    Reserve,          // making room for a longer file in place
    WriteInPlace,     // each write over the file's own bytes
    Restore,          // each write putting old bytes back
    CreateTemporary,  // making the new file
    CopyMetadata,
    WriteTemporary,
    Link,             // giving the new file a name
    Rename,
    SyncFolder,
    MakeFolder,       // the journal folder and those above it
    OpenFolder,       // each folder opened on the way to a file or by the walk
    ReadLink,         // reading a symbolic link met on the way, once its owner is known
    ReadFolder,       // listing a folder the walk entered
    Read,             // each read of a file's bytes
};

// Called before each step: 0 lets it run, an errno value makes it fail with it.
using StepHook = std::function<int(Step)>;

// Installs `hook` for as long as it lives (tests only).
class ScopedStepHook {
public:
    explicit ScopedStepHook(StepHook hook);
    ~ScopedStepHook();
    ScopedStepHook(const ScopedStepHook&) = delete;
    ScopedStepHook& operator=(const ScopedStepHook&) = delete;

private:
    StepHook previous_;
};

// False, with errno set, when the hook fails `step`.
bool stepAllowed(Step step);

}  // namespace tagshifter::sys
