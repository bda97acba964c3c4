// The test program keeps the tool's journals in a scratch folder: HOME and
// XDG_STATE_HOME point there before any test starts, for runs in this
// process and every child, so no test writes to the real ~/.local/state.
#pragma once

#include <string>

namespace tagshifter::test {

// The scratch XDG_STATE_HOME; journals go to its "tagshifter" folder.
const std::string& scratchStateHome();

// Points XDG_STATE_HOME at `folder` while it lives, then back.
class StateHomeOverride {
public:
    explicit StateHomeOverride(const std::string& folder);
    ~StateHomeOverride();
    StateHomeOverride(const StateHomeOverride&) = delete;
    StateHomeOverride& operator=(const StateHomeOverride&) = delete;
};

}  // namespace tagshifter::test
