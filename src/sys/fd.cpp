#include "sys/fd.h"

#include "sys/seam.h"

#include <sys/file.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tagshifter::sys {

void Fd::reset(int fd)
{
    if (fd_ >= 0)
        close(fd_);  // not retried: on Linux the descriptor is gone even on EINTR
    fd_ = fd;
}

int64_t preadInto(int fd, uint64_t offset, uint64_t length, char* buffer)
{
    if (!stepAllowed(Step::Read))
        return -1;
    uint64_t done = 0;
    while (done < length) {
        const ssize_t got
            = retried([&] { return pread(fd, buffer + done, length - done, static_cast<off_t>(offset + done)); });
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += static_cast<uint64_t>(got);
    }
    return static_cast<int64_t>(done);
}

uint64_t writeAt(int fd, const char* data, uint64_t size, int64_t offset)
{
    uint64_t done = 0;
    while (done < size) {
        const ssize_t wrote = retried([&] {
            return offset < 0 ? write(fd, data + done, size - done)
                              : pwrite(fd, data + done, size - done,
                                       static_cast<off_t>(static_cast<uint64_t>(offset) + done));
        });
        if (wrote <= 0) {
            if (wrote == 0)
                errno = ENOSPC;
            break;
        }
        done += static_cast<uint64_t>(wrote);
    }
    return done;
}

bool syncFile(int fd)
{
    return retried([fd] { return fsync(fd); }) == 0;
}

bool syncData(int fd)
{
    return retried([fd] { return fdatasync(fd); }) == 0;
}

bool truncateTo(int fd, uint64_t length)
{
    return retried([fd, length] { return ftruncate(fd, static_cast<off_t>(length)); }) == 0;
}

uint64_t firstHoleFrom(int fd, uint64_t offset)
{
    const off_t hole = lseek(fd, static_cast<off_t>(offset), SEEK_HOLE);
    return hole < 0 ? UINT64_MAX : static_cast<uint64_t>(hole);
}

bool allocate(int fd, uint64_t offset, uint64_t length)
{
    return retried([=] { return fallocate(fd, 0, static_cast<off_t>(offset), static_cast<off_t>(length)); }) == 0;
}

int64_t copyRange(int from, uint64_t& offset, int to, uint64_t length)
{
    loff_t at = static_cast<loff_t>(offset);
    const ssize_t done = retried([&] { return copy_file_range(from, &at, to, nullptr, length, 0); });
    offset = static_cast<uint64_t>(at);
    return done;
}

bool lockFile(int fd, bool wait)
{
    return retried([fd, wait] { return flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB)); }) == 0;
}

int descriptorsExhausted()
{
    const int fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        close(fd);
        return 0;
    }
    return errno == EMFILE || errno == ENFILE ? errno : 0;
}

bool statusOf(int fd, struct stat& out)
{
    return fstat(fd, &out) == 0;
}

int reopen(int fd, int flags)
{
    return open(("/proc/self/fd/" + std::to_string(fd)).c_str(), flags);
}

Protection protectionOf(int fd)
{
    int flags = 0;
    if (ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0)
        return Protection::None;
    return flags & FS_IMMUTABLE_FL ? Protection::Immutable
           : flags & FS_APPEND_FL  ? Protection::AppendOnly
                                   : Protection::None;
}

bool isTerminal(int fd)
{
    return isatty(fd) == 1;
}

bool progressLineFits()
{
    if (!isTerminal(STDERR_FILENO))
        return false;
    struct stat out {};
    if (!statusOf(STDOUT_FILENO, out))
        return true;  // closed: nothing shares the screen
    return !S_ISFIFO(out.st_mode) && !S_ISSOCK(out.st_mode);
}

std::string describe(const char* what, int code)
{
    return std::string(what) + ": " + std::strerror(code);
}

}  // namespace tagshifter::sys
