#include "sys/temporary.h"

#include "sys/process.h"
#include "sys/seam.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace tagshifter::sys {

std::string temporaryName(const std::string& target, const std::string& suffix)
{
    const size_t room = NAME_MAX - 1 - (sizeof kTemporaryMark - 1) - suffix.size();
    size_t keep = std::min(room, target.size());
    // Cut between characters, not inside a UTF-8 sequence.
    while (keep < target.size() && keep > 0 && (static_cast<unsigned char>(target[keep]) & 0xC0) == 0x80)
        --keep;
    return "." + target.substr(0, keep) + kTemporaryMark + suffix;
}

TemporaryFile::TemporaryFile(std::shared_ptr<const Folder> folder, std::string target)
    : folder_(std::move(folder)), target_(std::move(target))
{
    if (!stepAllowed(Step::CreateTemporary)) {
        error_ = errno;
        return;
    }
    fd_.reset(folder_->openAt(".", O_TMPFILE | O_RDWR, 0600));
    if (fd_.valid())
        return;
    // Only a file system without nameless files gets a named one; any other
    // failure (no space, quota, I/O) is the save's.
    if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)
        createNamed();
    else
        error_ = errno;
}

TemporaryFile::~TemporaryFile()
{
    if (!name_.empty())
        folder_->unlinkAt(name_);
}

std::string TemporaryFile::freshName() const
{
    static unsigned counter = 0;
    const timespec now = wallClock();
    unsigned long mix = static_cast<unsigned long>(now.tv_nsec) ^ (static_cast<unsigned long>(getpid()) << 20)
                        ^ (++counter * 2654435761u);
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix;
    for (int i = 0; i < 6; ++i, mix /= 36)
        suffix += kLetters[mix % 36];
    return temporaryName(target_, suffix);
}

void TemporaryFile::createNamed()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = freshName();
        fd_.reset(folder_->openAt(name, O_CREAT | O_EXCL | O_RDWR | O_NOFOLLOW, 0600));
        if (fd_.valid()) {
            name_ = name;
            return;
        }
        if (errno != EEXIST)
            break;
    }
    error_ = errno;
}

bool TemporaryFile::replaceTarget()
{
    if (!stepAllowed(Step::Link))
        return false;
    for (int attempt = 0; attempt < 100 && name_.empty(); ++attempt) {
        const std::string name = freshName();
        if (folder_->link(fd_.get(), name))
            name_ = name;
        else if (errno != EEXIST)
            return false;
    }
    if (name_.empty() || !stepAllowed(Step::Rename) || !folder_->renameWithin(name_, target_)) {
        const int error = errno;
        folder_->unlinkAt(name_);
        name_.clear();
        errno = error;
        return false;
    }
    name_.clear();
    return true;
}

}  // namespace tagshifter::sys
