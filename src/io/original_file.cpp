#include "io/original_file.h"

#include "common/messages.h"
#include "sys/folder_path.h"
#include "sys/process.h"
#include "sys/seam.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace tagshifter::io {

namespace {
constexpr uint64_t kWindowSize = 64 * 1024;
constexpr size_t kWindowsKept = 4;
}  // namespace

bool preadFully(int fd, uint64_t offset, uint64_t length, std::string& out)
{
    const size_t start = out.size();
    out.resize(start + length);
    const int64_t done = sys::preadInto(fd, offset, length, out.data() + start);
    out.resize(start + static_cast<size_t>(done < 0 ? 0 : done));
    return done >= 0;
}

OriginalFile::OriginalFile(const std::string& name, uint64_t wholeReadLimit, sys::FolderCache* folders,
                           int64_t walked)
    : name_(name), wholeReadLimit_(wholeReadLimit)
{
    const sys::SplitName split = sys::splitName(name);
    base_ = split.base;
    whyNotOpen_ = name.empty() ? messages::kEmptyName : open(split.folder, folders, walked);
    if (!whyNotOpen_.empty())
        fd_.reset();
}

std::string OriginalFile::open(const std::string& folderName, sys::FolderCache* folders, int64_t walked)
{
    int error = 0;
    folder_ = folders ? folders->open(folderName, walked, error) : sys::Folder::open(folderName, error);
    if (!folder_)
        return sys::folderError(error, messages::kFolderLinkNotFollowed, messages::kChangedMeanwhile);
    struct stat named {};
    if (!folder_->statAt(base_, named, false))
        return std::strerror(errno);
    sys::Fd target;
    if (S_ISLNK(named.st_mode)) {
        // A link is held as it is, and looked at again through the handle,
        // so that what is followed below is the link that was looked at. A
        // plain file needs no handle: it is opened without following links
        // and checked to be the file looked at.
        target.reset(folder_->openAt(base_, O_PATH | O_NOFOLLOW));
        if (!target.valid() || !sys::statusOf(target.get(), named))
            return std::strerror(errno);
    }
    viaLink_ = S_ISLNK(named.st_mode);
    if (viaLink_) {
        // Followed as folders are: each link only where it is this user's
        // or the owner's of the folder holding it (a link planted in a
        // folder anyone may write is not), and no folder on the way reached
        // through another's link. Another user's link must moreover lead
        // to that user's own file, so that no one can steer the tool onto
        // a file they could not write themselves. Path handles only, so no
        // device is opened.
        std::vector<sys::LinkOwners> passed;
        target = sys::followFileLink(folder_->fd(), std::move(target), named, passed, error);
        if (!target.valid())
            return sys::folderError(error, messages::kFolderLinkNotFollowed, messages::kChangedMeanwhile);
        for (const sys::LinkOwners& owners : passed)
            if (owners.link != sys::effectiveUser() && (owners.link != owners.folder || owners.link != named.st_uid))
                return messages::kLinkNotFollowed;
    }
    // A FIFO or a device would block or never end in the reader, so
    // anything but a regular file is a file that does not open.
    if (!S_ISREG(named.st_mode))
        return S_ISDIR(named.st_mode) ? messages::kFolderNeedsRecursive : messages::kNotRegularFile;
    if (!sys::stepAllowed(sys::Step::Open))
        return std::strerror(errno);
    fd_.reset(viaLink_ ? sys::reopen(target.get(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)
                       : folder_->openAt(base_, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
    if (!fd_.valid() || !sys::statusOf(fd_.get(), status_))
        return errno == ELOOP ? messages::kChangedMeanwhile : std::strerror(errno);
    if (status_.st_dev != named.st_dev || status_.st_ino != named.st_ino || !S_ISREG(status_.st_mode))
        return messages::kChangedMeanwhile;
    return {};
}

bool OriginalFile::sparse() const
{
    // Fewer blocks than bytes first, so that a dense file costs no call.
    return static_cast<uint64_t>(status_.st_blocks) * 512 < size() && sys::firstHoleFrom(fd_.get(), 0) < size();
}

// A second name of a file anyone may make where hard links are not
// protected: a file with other names is written only where no one but the
// folder's owner adds names, and that owner owns the file or runs the tool,
// so that no one steers the tool onto a file they could not write.
bool OriginalFile::linkCountTrusted() const
{
    if (viaLink_ || status_.st_nlink <= 1)
        return true;
    struct stat folder {};
    return sys::statusOf(folder_->fd(), folder) && (folder.st_mode & (S_IWGRP | S_IWOTH)) == 0
           && (folder.st_uid == status_.st_uid || folder.st_uid == sys::effectiveUser());
}

bool OriginalFile::takeWriteAccess(std::string& why)
{
    if (!linkCountTrusted()) {
        why = messages::kHardLinkPlanted;
        return false;
    }
    sys::Fd writable(sys::reopen(fd_.get(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!writable.valid() && errno == ENOENT && !viaLink_) {
        // No /proc: the name again, as long as it leads to the same file.
        writable.reset(folder_->openAt(base_, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
        struct stat reopened {};
        if (writable.valid()
            && (!sys::statusOf(writable.get(), reopened) || reopened.st_dev != status_.st_dev
                || reopened.st_ino != status_.st_ino)) {
            why = messages::kChangedMeanwhile;
            return false;
        }
    }
    if (!writable.valid()) {
        const int error = errno;
        const sys::Protection protection = error == EPERM ? sys::protectionOf(fd_.get()) : sys::Protection::None;
        if (protection != sys::Protection::None)
            why = protection == sys::Protection::Immutable ? messages::kFileImmutable : messages::kFileAppendOnly;
        else
            why = sys::describe(messages::kCannotOpenForWriting, error);
        return false;
    }
    fd_ = std::move(writable);
    return true;
}

bool OriginalFile::unchangedSinceRead(std::string& why) const
{
    if (!sys::stepAllowed(sys::Step::Check)) {
        why = sys::describe(messages::kCannotCheck, errno);
        return false;
    }
    struct stat now {};
    struct stat named {};
    bool same = viaLink_ ? sys::statusOf(fd_.get(), now) && folder_->statAt(base_, named, true)
                         : folder_->statAt(base_, now, false);
    if (!viaLink_)
        named = now;
    same = same && named.st_dev == status_.st_dev && named.st_ino == status_.st_ino
           && now.st_size == status_.st_size && now.st_mtim.tv_sec == status_.st_mtim.tv_sec
           && now.st_mtim.tv_nsec == status_.st_mtim.tv_nsec && now.st_ctim.tv_sec == status_.st_ctim.tv_sec
           && now.st_ctim.tv_nsec == status_.st_ctim.tv_nsec;
    if (!same)
        why = messages::kChangedMeanwhile;
    return same;
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
    const int64_t got = sys::preadInto(fd_.get(), start, length, window.bytes.get());
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

std::string_view OriginalFile::bytesAt(uint64_t offset, uint64_t length, std::string& spill)
{
    const uint64_t end = std::min(size(), offset + length);
    if (offset < end && (size() <= wholeReadLimit_ || length <= kWindowSize)) {
        const Window& window = windowAt(offset);
        if (end - window.offset <= window.size)
            return {window.bytes.get() + (offset - window.offset), end - offset};
    }
    spill.clear();
    read(offset, length, spill);
    return spill;
}

bool OriginalFile::readFresh(uint64_t offset, uint64_t length, std::string& out)
{
    const size_t before = out.size();
    if (!preadFully(fd_.get(), offset, length, out)) {
        failed_ = true;
        return false;
    }
    bytesRead_ += out.size() - before;
    return true;
}

}  // namespace tagshifter::io
