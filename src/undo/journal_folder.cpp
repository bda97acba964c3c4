#include "undo/journal_folder.h"

#include "common/error.h"
#include "common/format.h"
#include "common/messages.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace tagshifter::undo {

namespace {

// The base folder and the path below it that the tool makes.
bool defaultBase(std::string& base, std::string& below)
{
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') {
        base = state;
        below = "tagshifter";
        return true;
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        base = home;
        below = ".local/state/tagshifter";
        return true;
    }
    return false;
}

bool endsWith(const std::string& text, const char* suffix)
{
    const size_t length = std::strlen(suffix);
    return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
}

std::string currentFolder()
{
    std::string folder(4096, '\0');
    while (getcwd(folder.data(), folder.size()) == nullptr) {
        if (errno != ERANGE)
            return ".";
        folder.resize(folder.size() * 2);
    }
    folder.resize(std::strlen(folder.c_str()));
    return folder;
}

}  // namespace

std::string defaultFolderName()
{
    std::string base;
    std::string below;
    if (!defaultBase(base, below))
        return {};
    return (base == "/" ? "" : base) + "/" + below;
}

sys::Fd openDefaultFolder(bool create, std::string& name, std::string& why)
{
    std::string base;
    std::string below;
    name = defaultFolderName();
    if (!defaultBase(base, below)) {
        why = messages::kNoHome;
        return sys::Fd();
    }
    // Nothing is made in a folder of another user: a run as root with that
    // user's HOME must not leave root's folders and files there. A missing
    // base is made when the folder it goes in is ours.
    // It is made through the parent held open, so that the parent checked
    // is the one it is made in.
    struct stat status {};
    sys::Fd folder(open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder && create && errno == ENOENT) {
        const size_t slash = base.rfind('/');
        const std::string parent = slash == 0 ? "/" : base.substr(0, slash);
        const std::string leaf = base.substr(slash + 1);
        const sys::Fd parentFd(open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (parentFd && fstat(parentFd.get(), &status) == 0 && status.st_uid == geteuid()
            && (mkdirat(parentFd.get(), leaf.c_str(), 0700) == 0 || errno == EEXIST))
            folder = sys::Fd(openat(parentFd.get(), leaf.c_str(),
                                     O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        else
            errno = ENOENT;
    }
    size_t start = 0;
    while (folder) {
        if (fstat(folder.get(), &status) != 0)
            break;
        if (status.st_uid != geteuid()) {
            why = messages::kFolderOfAnotherUser;
            return sys::Fd();
        }
        if (start > below.size())
            return folder;
        const size_t end = std::min(below.find('/', start), below.size());
        const std::string part = below.substr(start, end - start);
        start = end + 1;
        if (create && mkdirat(folder.get(), part.c_str(), 0700) != 0 && errno != EEXIST) {
            why = std::strerror(errno);
            return sys::Fd();
        }
        folder = sys::Fd(openat(folder.get(), part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    }
    why = std::strerror(errno);
    return sys::Fd();
}

std::string journalName(const timespec& start)
{
    tm utc {};
    gmtime_r(&start.tv_sec, &utc);
    char text[64];
    std::strftime(text, sizeof text, "%Y-%m-%d_%H-%M-%S", &utc);
    return formatted("%s.%06ldZ%s", text, static_cast<long>(start.tv_nsec / 1000), kJournalSuffix);
}

std::vector<JournalFile> journalsIn(int folder)
{
    std::vector<JournalFile> journals;
    const int listed = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* entries = listed < 0 ? nullptr : fdopendir(listed);
    if (entries == nullptr) {
        if (listed >= 0)
            close(listed);
        return journals;
    }
    while (const dirent* entry = readdir(entries)) {
        const std::string name = entry->d_name;
        struct stat status {};
        if (name[0] == '.' || !endsWith(name, kJournalSuffix)
            || fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(status.st_mode))
            continue;
        journals.push_back({name, static_cast<uint64_t>(status.st_size)});
    }
    closedir(entries);
    std::sort(journals.begin(), journals.end(),
              [](const JournalFile& a, const JournalFile& b) { return a.name < b.name; });
    return journals;
}

void pruneJournals(int folder, const std::string& keep, size_t maxCount, uint64_t maxBytes)
{
    std::vector<JournalFile> journals = journalsIn(folder);
    uint64_t total = 0;
    for (const JournalFile& journal : journals)
        total += journal.size;
    size_t count = journals.size();
    for (const JournalFile& journal : journals) {
        if (count <= maxCount && total <= maxBytes)
            break;
        if (journal.name == keep)
            continue;
        if (unlinkat(folder, journal.name.c_str(), 0) == 0) {
            --count;
            total -= journal.size;
        }
    }
}

sys::Fd openJournalToUndo(const std::string& given, std::string& name, std::string& why)
{
    name = given;
    if (given.find('/') != std::string::npos || (!given.empty() && access(given.c_str(), F_OK) == 0)) {
        sys::Fd fd(open(given.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
        struct stat status {};
        if (!fd || fstat(fd.get(), &status) != 0) {
            why = std::strerror(errno);
            return sys::Fd();
        }
        // A journal says which files to write and with what: one that another
        // user wrote, or could have, must not steer a run as root.
        if (status.st_uid != geteuid() || (status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
            why = messages::kJournalOfAnotherUser;
            return sys::Fd();
        }
        return fd;
    }
    std::string folderName;
    sys::Fd folder = openDefaultFolder(false, folderName, why);
    if (!folder) {
        name = folderName;
        return sys::Fd();
    }
    std::string chosen = given;
    if (chosen.empty()) {
        const std::vector<JournalFile> journals = journalsIn(folder.get());
        if (journals.empty()) {
            name = folderName;
            why = messages::kNoJournalYet;
            return sys::Fd();
        }
        chosen = journals.back().name;
    }
    name = folderName + "/" + chosen;
    sys::Fd fd(openat(folder.get(), chosen.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
    if (!fd)
        why = std::strerror(errno);
    return fd;
}

RunJournal::RunJournal(const JournalChoice& choice)
{
    if (choice.off)
        return;
    timespec start {};
    clock_gettime(CLOCK_REALTIME, &start);
    JournalHeader header;
    header.startSeconds = start.tv_sec;
    header.startMicroseconds = start.tv_nsec / 1000;
    header.folder = currentFolder();
    header.undo = choice.undo;

    if (!choice.named.empty()) {
        // Made through its folder held open, which is then the one synced.
        const size_t slash = choice.named.rfind('/');
        const std::string parent = slash == std::string::npos ? "." : choice.named.substr(0, slash + 1);
        const std::string leaf = slash == std::string::npos ? choice.named : choice.named.substr(slash + 1);
        sys::Fd parentFd(open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        sys::Fd fd;
        if (parentFd)
            fd = sys::Fd(openat(parentFd.get(), leaf.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (fd)
            writer_ = std::make_unique<JournalWriter>(std::move(fd), choice.named, header, choice.sync,
                                                      parentFd.get());
        if (!writer_ || !writer_->error().empty()) {
            const std::string why = writer_ ? writer_->error() : std::strerror(errno);
            writer_.reset();
            throw Error(Error::Kind::Other, formatted(messages::kCannotWriteNamedJournal, choice.named.c_str(), why.c_str()));
        }
        return;
    }

    std::string folderName;
    std::string why;
    folder_ = openDefaultFolder(true, folderName, why);
    if (folder_) {
        std::string name = journalName(start);
        sys::Fd fd;
        for (int attempt = 2; attempt < 100; ++attempt) {
            fd = sys::Fd(openat(folder_.get(), name.c_str(),
                                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            if (fd || errno != EEXIST)
                break;
            name = journalName(start);
            name.insert(name.size() - std::strlen(kJournalSuffix), "-" + std::to_string(attempt));
        }
        if (fd) {
            writer_ = std::make_unique<JournalWriter>(std::move(fd), name, header, choice.sync, folder_.get());
            writer_->makeOptional();
            if (!writer_->error().empty()) {
                why = writer_->error();
                writer_.reset();
                unlinkat(folder_.get(), name.c_str(), 0);
            }
        } else {
            why = std::strerror(errno);
        }
    } else if (why.empty()) {
        why = std::strerror(errno);
    }
    if (!writer_) {
        folder_ = sys::Fd();
        note_ = formatted(messages::kNoteNoJournal, folderName.c_str(), why.c_str());
    }
}

RunJournal::~RunJournal()
{
    if (!folder_ || !writer_)
        return;
    // A run that changed nothing leaves no journal: --undo then means the
    // last run that did.
    if (writer_->files() == 0)
        unlinkat(folder_.get(), writer_->name().c_str(), 0);
    pruneJournals(folder_.get(), writer_->name());
}

}  // namespace tagshifter::undo
