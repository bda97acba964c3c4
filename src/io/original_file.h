// The file being converted as it was when opened: read whole in one call when
// small, in windows on demand when large, so that memory stays bounded.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tagshifter::io {

// Files up to this size are read whole with one read; larger ones in windows.
inline constexpr uint64_t kWholeReadLimit = 1 << 20;

class OriginalFile {
public:
    // Opens for reading and writing, or for reading only where writing is not
    // allowed (the save then fails as it always did for such a file).
    OriginalFile(const std::string& name, uint64_t wholeReadLimit = kWholeReadLimit);
    ~OriginalFile();
    OriginalFile(const OriginalFile&) = delete;
    OriginalFile& operator=(const OriginalFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    bool readOnly() const { return readOnly_; }
    // A read failed: what was read cannot be trusted, nothing may be written.
    bool failed() const { return failed_; }
    int fd() const { return fd_; }
    const std::string& name() const { return name_; }
    const struct stat& status() const { return status_; }
    uint64_t size() const { return static_cast<uint64_t>(status_.st_size); }

    // Appends the bytes of [offset, offset + length) that lie within the file.
    void read(uint64_t offset, uint64_t length, std::string& out);
    // As read, straight from the file, never from what was read before:
    // for reading back what is being overwritten in place.
    bool readFresh(uint64_t offset, uint64_t length, std::string& out);
    // Bytes read from the file so far (for tests and figures).
    uint64_t bytesRead() const { return bytesRead_; }

private:
    // Bytes read from the file; not zeroed first, as a string's would be,
    // since the read fills them at once (a tenth of the work on small files).
    struct Window {
        uint64_t offset = 0;
        std::unique_ptr<char[]> bytes;
        uint64_t size = 0;
    };
    const Window& windowAt(uint64_t offset);

    std::string name_;
    int fd_ = -1;
    bool readOnly_ = false;
    bool failed_ = false;
    struct stat status_ {};
    uint64_t wholeReadLimit_;
    uint64_t bytesRead_ = 0;
    std::vector<Window> windows_;  // most recently used last
};

// Reads exactly `length` bytes at `offset` unless the file ends first;
// false on an I/O error.
bool preadFully(int fd, uint64_t offset, uint64_t length, std::string& out);
// As preadFully, into `buffer`; the bytes read, or -1 on an I/O error.
int64_t preadInto(int fd, uint64_t offset, uint64_t length, char* buffer);

}  // namespace tagshifter::io
