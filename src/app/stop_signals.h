// Holding off the signals that ask the tool to stop while a file is saved.
#pragma once

#include "sys/fd.h"
#include "sys/process.h"

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <string>

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

// What a run stopped by a signal says on standard error: how far it got and
// how to undo it. Two buffers, the one to say named by `noteIndex` (-1:
// none), so that a signal never reads one half-written.
inline char notes[2][512];
inline volatile sig_atomic_t noteIndex = -1;

inline void setNote(const std::string& text)
{
    const int next = noteIndex == 0 ? 1 : 0;
    const size_t length = std::min(text.size(), sizeof notes[next] - 1);
    std::memcpy(notes[next], text.data(), length);
    notes[next][length] = '\0';
    noteIndex = next;
}

inline void clearNote()
{
    noteIndex = -1;
}

// Says the note, then ends the process by `signal` as if it were not caught.
inline void stop(int signal)
{
    if (noteIndex >= 0)
        sys::writeAt(STDERR_FILENO, notes[noteIndex], std::strlen(notes[noteIndex]), -1);
    sys::endBy(signal);
}

inline void onSignal(int signal)
{
    if (holding) {
        held = signal;
        return;
    }
    stop(signal);
}

inline void catchOnce()
{
    static bool caught = false;
    if (!caught)
        sys::catchSignals({SIGINT, SIGTERM, SIGHUP}, onSignal);
    caught = true;
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
        if (const int signal = stop_signals::held)
            stop_signals::stop(signal);
    }
    StopSignalsHeld(const StopSignalsHeld&) = delete;
    StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;
};

}  // namespace tagshifter
