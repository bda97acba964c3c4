// The process itself: its user, environment, clock and the signals that
// ask it to stop.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <initializer_list>
#include <string>

namespace tagshifter::sys {

// The effective user, the one files are made as and checked against.
uid_t effectiveUser();
// The environment's value of `name`, or nullptr.
const char* environment(const char* name);
// The time of day now.
timespec wallClock();
// `seconds` since the epoch, in UTC, through strftime's `format`.
std::string utcText(long long seconds, const char* format);

// Has blocks of a large tag taken from the system and given back each on
// its own, so that what is freed leaves the process at once: otherwise the
// allocator keeps them in its heap, where a next, larger block cannot reuse
// them, and a large tag takes many times its size.
void returnLargeBlocksAtOnce();

// Catches each of `signals` the caller does not ignore (nohup, a background
// job) with `handler`, interrupted calls restarted.
void catchSignals(std::initializer_list<int> signals, void (*handler)(int));
// Ends the process by `signal` as if it were not caught (taken as soon as a
// handler returns).
void endBy(int signal);

}  // namespace tagshifter::sys
