#include "sys/process.h"

#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <csignal>
#include <cstdlib>

namespace tagshifter::sys {

uid_t effectiveUser()
{
    return geteuid();
}

const char* environment(const char* name)
{
    return std::getenv(name);
}

timespec wallClock()
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return now;
}

void returnLargeBlocksAtOnce()
{
#if defined(__GLIBC__)
    // Above a whole read of a small file (io/original_file.h), so that the
    // common case keeps the heap's speed. Set, the threshold no longer
    // rises to the size of each block freed.
    constexpr int kLargeBlock = 2 << 20;
    mallopt(M_MMAP_THRESHOLD, kLargeBlock);
#endif
}

std::string utcText(long long seconds, const char* format)
{
    const time_t time = static_cast<time_t>(seconds);
    tm parts {};
    gmtime_r(&time, &parts);
    char text[64];
    return std::string(text, std::strftime(text, sizeof text, format, &parts));
}

void catchSignals(std::initializer_list<int> signals, void (*handler)(int))
{
    for (const int signal : signals) {
        struct sigaction previous {};
        if (sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN)
            continue;
        struct sigaction caught {};
        caught.sa_handler = handler;
        sigemptyset(&caught.sa_mask);
        caught.sa_flags = SA_RESTART;
        sigaction(signal, &caught, nullptr);
    }
}

void endBy(int signal)
{
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace tagshifter::sys
