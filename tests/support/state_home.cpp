#include "support/state_home.h"

#include "support/fixtures.h"

#include <cstdlib>

namespace tagshifter::test {

namespace {

struct ScratchHome {
    ScratchHome()
    {
        setenv("HOME", dir.path().c_str(), 1);
        setenv("XDG_STATE_HOME", dir.path().c_str(), 1);
    }
    TempDir dir;
};

const ScratchHome& scratch()
{
    static const ScratchHome home;
    return home;
}

// Made before main, so before any test runs the tool.
[[maybe_unused]] const ScratchHome& kMadeEarly = scratch();

}  // namespace

const std::string& scratchStateHome()
{
    return scratch().dir.path();
}

StateHomeOverride::StateHomeOverride(const std::string& folder)
{
    setenv("XDG_STATE_HOME", folder.c_str(), 1);
}

StateHomeOverride::~StateHomeOverride()
{
    setenv("XDG_STATE_HOME", scratchStateHome().c_str(), 1);
}

}  // namespace tagshifter::test
