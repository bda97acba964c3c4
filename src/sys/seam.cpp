#include "sys/seam.h"

#include <cerrno>
#include <utility>

namespace tagshifter::sys {

namespace {
StepHook& installed()
{
    static StepHook hook;
    return hook;
}
}  // namespace

ScopedStepHook::ScopedStepHook(StepHook hook) : previous_(std::exchange(installed(), std::move(hook))) {}

ScopedStepHook::~ScopedStepHook()
{
    installed() = std::move(previous_);
}

bool stepAllowed(Step step)
{
    if (!installed())
        return true;
    const int code = installed()(step);
    if (code == 0)
        return true;
    errno = code;
    return false;
}

}  // namespace tagshifter::sys
