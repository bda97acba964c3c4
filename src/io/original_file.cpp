#include "io/original_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace tagshifter::io {

namespace {
constexpr uint64_t kWindowSize = 64 * 1024;
constexpr size_t kWindowsKept = 4;
}  // namespace

int64_t preadInto(int fd, uint64_t offset, uint64_t length, char* buffer)
{
    uint64_t done = 0;
    while (done < length) {
        const ssize_t got = pread(fd, buffer + done, length - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += static_cast<uint64_t>(got);
    }
    return static_cast<int64_t>(done);
}

bool preadFully(int fd, uint64_t offset, uint64_t length, std::string& out)
{
    const size_t start = out.size();
    out.resize(start + length);
    const int64_t done = preadInto(fd, offset, length, out.data() + start);
    out.resize(start + static_cast<size_t>(done < 0 ? 0 : done));
    return done >= 0;
}

OriginalFile::OriginalFile(const std::string& name, uint64_t wholeReadLimit)
    : name_(name), wholeReadLimit_(wholeReadLimit)
{
    fd_ = open(name.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        fd_ = open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
        readOnly_ = true;
    }
    if (fd_ >= 0 && (fstat(fd_, &status_) != 0 || !S_ISREG(status_.st_mode))) {
        close(fd_);
        fd_ = -1;
    }
}

OriginalFile::~OriginalFile()
{
    if (fd_ >= 0)
        close(fd_);
}

const OriginalFile::Window& OriginalFile::windowAt(uint64_t offset)
{
    const bool whole = size() <= wholeReadLimit_;
    const uint64_t start = whole ? 0 : offset - offset % kWindowSize;
    for (auto it = windows_.begin(); it != windows_.end(); ++it) {
        if (it->offset == start) {
            std::rotate(it, it + 1, windows_.end());
            return windows_.back();
        }
    }
    if (windows_.size() == kWindowsKept)
        windows_.erase(windows_.begin());
    Window window;
    window.offset = start;
    const uint64_t length = whole ? size() : std::min(kWindowSize, size() - std::min(size(), start));
    window.bytes.reset(new char[length]);
    const int64_t got = preadInto(fd_, start, length, window.bytes.get());
    if (got < 0)
        failed_ = true;
    window.size = got < 0 ? 0 : static_cast<uint64_t>(got);
    bytesRead_ += window.size;
    windows_.push_back(std::move(window));
    return windows_.back();
}

void OriginalFile::read(uint64_t offset, uint64_t length, std::string& out)
{
    const uint64_t end = std::min(size(), offset + length);
    // A read larger than a window goes straight to the file.
    if (size() > wholeReadLimit_ && length > kWindowSize) {
        if (offset < end)
            readFresh(offset, end - offset, out);
        return;
    }
    while (offset < end) {
        const Window& window = windowAt(offset);
        const uint64_t inWindow = offset - window.offset;
        if (inWindow >= window.size)
            return;  // the file is shorter than when it was opened
        const uint64_t take = std::min<uint64_t>(end - offset, window.size - inWindow);
        out.append(window.bytes.get() + inWindow, take);
        offset += take;
    }
}

bool OriginalFile::readFresh(uint64_t offset, uint64_t length, std::string& out)
{
    const size_t before = out.size();
    if (!preadFully(fd_, offset, length, out)) {
        failed_ = true;
        return false;
    }
    bytesRead_ += out.size() - before;
    return true;
}

}  // namespace tagshifter::io
