// A folder held open: every step after the first look at a file is made
// relative to it, so that a folder swapped or renamed meanwhile cannot move
// where the tool writes.
#pragma once

#include "sys/fd.h"

#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <string>

namespace tagshifter::sys {

// "a/b/song.mp3" is "song.mp3" in "a/b"; a name without a slash is in ".".
struct SplitName {
    std::string folder;
    std::string base;
};
SplitName splitName(const std::string& name);

// The working folder's absolute name ("." when it has none).
std::string workingFolder();

class Folder {
public:
    // Opened for reading where allowed (fsync and the folder's flags need
    // it), else only as a place to work in; nullptr with errno when neither.
    // No link another user planted is followed on the way (see folder_path.h);
    // `error` says why not (an errno value, kLinkRefused or kFolderSwapped).
    static std::shared_ptr<const Folder> open(const std::string& path, int& error);
    // Holds `fd`, a folder already open.
    static std::shared_ptr<const Folder> adopt(Fd fd);

    int fd() const { return fd_.get(); }

    // The stat of `name` in the folder; a symbolic link itself unless `follow`.
    bool statAt(const std::string& name, struct stat& out, bool follow) const;
    // A descriptor of `name` in the folder, -1 with errno.
    int openAt(const std::string& name, int flags, mode_t mode = 0) const;
    bool renameWithin(const std::string& from, const std::string& to) const;
    bool unlinkAt(const std::string& name) const;
    // Gives the open file without a name `fd` the name `name` in the folder.
    bool link(int fd, const std::string& name) const;
    // An append-only or immutable folder lets a name be added but never
    // replaced or removed: a new file renamed over the old one would fail
    // and leave its temporary name behind.
    bool forbidsReplacing() const;
    bool sync() const;

    // The folder `name` within this one, never through a link; with
    // `create`, made first (mode 0700) where missing. nullptr with errno.
    std::shared_ptr<const Folder> child(const std::string& name, bool create) const;

private:
    explicit Folder(Fd fd) : fd_(std::move(fd)) {}
    Fd fd_;
};

class FolderTree;

// The last folder opened, kept while operands follow from the same one, so
// that a run over one album opens its folder once.
class FolderCache {
public:
    // `walked`: the folders -r went through, that files name by their node.
    explicit FolderCache(std::shared_ptr<FolderTree> walked = nullptr);
    ~FolderCache();

    // The folder `path`, or with `node` (not kByName) the walked folder
    // of that node; nullptr with `error` as Folder::open gives it.
    static constexpr int64_t kByName = -1;
    std::shared_ptr<const Folder> open(const std::string& path, int64_t node, int& error);

private:
    std::shared_ptr<FolderTree> walked_;
    std::string path_;
    int64_t node_ = kByName;
    std::shared_ptr<const Folder> folder_;
};

}  // namespace tagshifter::sys
