// Holding off the signals that ask the tool to stop while a file is saved.
#pragma once

#include <csignal>

namespace tagshifter {

// Holds back the signals that ask the tool to stop (interrupt, terminate,
// hang-up) while one file is being stripped, saved and closed, so that a
// file is never left half-written. On leaving, the old mask comes back and a
// signal that arrived meanwhile takes its course: the run stops after a
// whole file.
class StopSignalsHeld {
public:
    StopSignalsHeld()
    {
        sigset_t held;
        sigemptyset(&held);
        sigaddset(&held, SIGINT);
        sigaddset(&held, SIGTERM);
        sigaddset(&held, SIGHUP);
        sigprocmask(SIG_BLOCK, &held, &previous_);
    }
    ~StopSignalsHeld() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }
    StopSignalsHeld(const StopSignalsHeld&) = delete;
    StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

private:
    sigset_t previous_;
};

}  // namespace tagshifter
