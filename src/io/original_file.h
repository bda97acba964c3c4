// The file being converted as it was when opened: read whole in one call when
// small, in windows on demand when large, so that memory stays bounded.
#pragma once

#include "sys/fd.h"
#include "sys/folder.h"

#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tagshifter::io {

// Files up to this size are read whole with one read; larger ones in windows.
inline constexpr uint64_t kWholeReadLimit = 1 << 20;

class OriginalFile {
public:
    // Opens the file for reading only, in its folder held open (from
    // `folders` when given), without following anything planted in its
    // place: a symbolic link only where its owner is the user running the
    // tool, or owns both the folder holding it and the file it leads to,
    // and nothing but a regular file. isOpen() is false, with whyNotOpen(), otherwise. `walked`: the
    // node of its folder in the walk `folders` holds, which it is opened
    // from instead of by the name's folder part.
    OriginalFile(const std::string& name, uint64_t wholeReadLimit = kWholeReadLimit,
                 sys::FolderCache* folders = nullptr, int64_t walked = sys::FolderCache::kByName);
    OriginalFile(const OriginalFile&) = delete;
    OriginalFile& operator=(const OriginalFile&) = delete;

    bool isOpen() const { return fd_.valid(); }
    const std::string& whyNotOpen() const { return whyNotOpen_; }
    // A read failed: what was read cannot be trusted, nothing may be written.
    bool failed() const { return failed_; }
    int fd() const { return fd_.get(); }
    const std::string& name() const { return name_; }
    const sys::Folder& folder() const { return *folder_; }
    const std::shared_ptr<const sys::Folder>& sharedFolder() const { return folder_; }
    // The name within the folder.
    const std::string& base() const { return base_; }
    bool viaLink() const { return viaLink_; }
    const struct stat& status() const { return status_; }
    uint64_t size() const { return static_cast<uint64_t>(status_.st_size); }
    // Whether the file has a hole before its end: no audio has, and a save
    // (the new file, the journal's hashes) would read and write every byte
    // of it, a terabyte for a planted sparse file.
    bool sparse() const;

    // Reopens the same file for writing; false, with the reason, where the
    // user may not write it (permissions, immutable, read-only mount...), or
    // where it has other names and its own may have been planted by another
    // user (see linkCountTrusted).
    bool takeWriteAccess(std::string& why);
    // Whether the file is still as it was read (size, modification and
    // change time) and its name in the folder still leads to it; checked
    // right before the first write.
    bool unchangedSinceRead(std::string& why) const;

    // Appends the bytes of [offset, offset + length) that lie within the file.
    void read(uint64_t offset, uint64_t length, std::string& out);
    // The same bytes without a copy where they lie in one window (always,
    // in a file read whole); elsewhere read into `spill`. Valid until the
    // next read.
    std::string_view bytesAt(uint64_t offset, uint64_t length, std::string& spill);
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
    bool linkCountTrusted() const;

    // Why the file did not open, or "" when it did.
    std::string open(const std::string& folderName, sys::FolderCache* folders, int64_t walked);

    std::string name_;
    std::shared_ptr<const sys::Folder> folder_;
    std::string base_;
    sys::Fd fd_;
    bool viaLink_ = false;
    std::string whyNotOpen_;
    bool failed_ = false;
    struct stat status_ {};
    uint64_t wholeReadLimit_;
    uint64_t bytesRead_ = 0;
    std::vector<Window> windows_;  // most recently used last
};

// Reads exactly `length` bytes at `offset` unless the file ends first;
// false on an I/O error.
bool preadFully(int fd, uint64_t offset, uint64_t length, std::string& out);

}  // namespace tagshifter::io
