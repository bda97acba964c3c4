// The new file written beside the old one: without a name where the system
// allows it (nothing is left behind if the run dies), else under a name that
// is recognisably the tool's and always fits in a folder entry.
#pragma once

#include "sys/folder.h"

#include <memory>
#include <string>

namespace tagshifter::sys {

// Temporary names are ".<name>.tagshifter-XXXXXX", the name cut short when
// the whole would not fit.
inline constexpr char kTemporaryMark[] = ".tagshifter-";
std::string temporaryName(const std::string& target, const std::string& suffix);

class TemporaryFile {
public:
    // isOpen() is false, with error() the errno, when no file could be made.
    TemporaryFile(std::shared_ptr<const Folder> folder, std::string target);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool isOpen() const { return fd_.valid(); }
    int fd() const { return fd_.get(); }
    int error() const { return error_; }

    // Names the file, if it has no name yet, and renames it over the target;
    // false with errno (and no name left behind) when either fails.
    bool replaceTarget();

private:
    std::string freshName() const;
    void createNamed();

    std::shared_ptr<const Folder> folder_;
    std::string target_;
    std::string name_;  // empty while the file has no name, and once renamed
    Fd fd_;
    int error_ = 0;
};

}  // namespace tagshifter::sys
