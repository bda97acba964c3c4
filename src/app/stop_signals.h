// Holding off the signals that ask the tool to stop while a file is saved.
#pragma once

#include <csignal>

namespace tagshifter {

// The signals that ask the tool to stop (interrupt, terminate, hang-up) are
// held back while one file is being stripped, saved and closed, so that a
// file is never left half-written; the run then stops after a whole file.
// They are caught once for the run rather than blocked around each file,
// which would cost two system calls a file: one that arrives outside a
// file's save ends the run at once, as it would uncaught.
namespace stop_signals {
inline volatile sig_atomic_t holding = 0;
inline volatile sig_atomic_t held = 0;

inline void onSignal(int signal)
{
    if (holding) {
        held = signal;
        return;
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);  // taken as soon as this handler returns
}

inline void catchOnce()
{
    static bool caught = false;
    if (caught)
        return;
    caught = true;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction previous {};
        // A signal the caller ignores (nohup, a background job) stays ignored.
        if (sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN)
            continue;
        struct sigaction handler {};
        handler.sa_handler = onSignal;
        sigemptyset(&handler.sa_mask);
        handler.sa_flags = SA_RESTART;
        sigaction(signal, &handler, nullptr);
    }
}
}  // namespace stop_signals

class StopSignalsHeld {
public:
    StopSignalsHeld()
    {
        stop_signals::catchOnce();
        stop_signals::holding = 1;
    }
    ~StopSignalsHeld()
    {
        stop_signals::holding = 0;
        if (const int signal = stop_signals::held) {
            std::signal(signal, SIG_DFL);
            std::raise(signal);
        }
    }
    StopSignalsHeld(const StopSignalsHeld&) = delete;
    StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;
};

}  // namespace tagshifter
