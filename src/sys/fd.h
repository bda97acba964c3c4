// src/sys: the tool's only contact with the file system calls: the owner of a
// descriptor, a held folder, the temporary file, retries on EINTR, and the
// test seam that can fail or act between the steps of a save.
#pragma once

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <string>

namespace tagshifter::sys {

// Owns one file descriptor and closes it once.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& other) noexcept : fd_(other.release()) {}
    Fd& operator=(Fd&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    explicit operator bool() const { return valid(); }
    int release()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset(int fd = -1);

private:
    int fd_ = -1;
};

// Reads up to `length` bytes at `offset` into `buffer`, stopping early only
// at the end of the file; the bytes read, or -1 with errno on an error.
int64_t preadInto(int fd, uint64_t offset, uint64_t length, char* buffer);
// Writes all of `data` at `offset` (or at the file position when `offset`
// is negative); the bytes written before an error, with errno, when short.
uint64_t writeAt(int fd, const char* data, uint64_t size, int64_t offset);

// Calls `call` again while it fails for a signal (EINTR): the one retry
// loop of the tool. Its last result.
template <typename Call>
auto retried(Call call) -> decltype(call())
{
    decltype(call()) result;
    do
        result = call();
    while (result < 0 && errno == EINTR);
    return result;
}

// fsync, fdatasync and ftruncate, retried on EINTR.
bool syncFile(int fd);
bool syncData(int fd);
bool truncateTo(int fd, uint64_t length);
// Makes room for `length` bytes at `offset` (fallocate); EOPNOTSUPP where
// the file system cannot.
bool allocate(int fd, uint64_t offset, uint64_t length);
// Where the first hole at or after `offset` begins (lseek SEEK_HOLE): the
// file's end when it has none there, or where the file system cannot tell.
uint64_t firstHoleFrom(int fd, uint64_t offset);
// Copies up to `length` bytes of `from` at `offset` (moved on past them) to
// the position of `to`, in the kernel; the bytes copied, or -1 with errno.
int64_t copyRange(int from, uint64_t& offset, int to, uint64_t length);
// An exclusive flock on `fd`: waits for it, or (`wait` false) fails at once
// with EWOULDBLOCK when another holds it.
bool lockFile(int fd, bool wait);
// EMFILE or ENFILE when no descriptor can be opened now, else 0: tells a
// library call that failed for want of one from one refused for its input.
int descriptorsExhausted();

// fstat of `fd`.
bool statusOf(int fd, struct stat& out);
// A new descriptor of the file `fd` holds, opened with `flags` (through
// /proc/self/fd, so no name is resolved again); -1 with errno.
int reopen(int fd, int flags);
// The file's flags that refuse writes in place or renames over it.
enum class Protection { None, AppendOnly, Immutable };
Protection protectionOf(int fd);

// Whether `fd` is a terminal.
bool isTerminal(int fd);
// Standard error is a terminal a progress line can be redrawn on, and
// standard output does not go into a pipe or socket (a pager, another
// program) that shares that terminal's screen.
bool progressLineFits();

// "what: the system's text for `code`".
std::string describe(const char* what, int code);

}  // namespace tagshifter::sys
