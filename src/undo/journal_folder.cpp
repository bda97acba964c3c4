#include "undo/journal_folder.h"

#include "common/format.h"
#include "common/messages.h"
#include "sys/folder_list.h"
#include "sys/folder_path.h"
#include "sys/process.h"
#include "sys/seam.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tagshifter::undo {

namespace {

// The base folder and the path below it that the tool makes.
bool defaultBase(std::string& base, std::string& below)
{
    const char* state = sys::environment("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') {
        base = state;
        below = "tagshifter";
        return true;
    }
    const char* home = sys::environment("HOME");
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

constexpr mode_t kWritableByOthers = S_IWGRP | S_IWOTH;

// A folder on the way to the journals: the user's own, written by no one else.
bool folderIsOurs(const sys::Folder& folder, std::string& why)
{
    struct stat status {};
    if (!sys::statusOf(folder.fd(), status)) {
        why = std::strerror(errno);
        return false;
    }
    if (status.st_uid != sys::effectiveUser())
        why = messages::kFolderOfAnotherUser;
    else if ((status.st_mode & kWritableByOthers) != 0)
        why = messages::kFolderWritableByOthers;
    else
        return true;
    return false;
}

// The name of the journal of a run that began at `start`.
std::string journalName(const timespec& start)
{
    const std::string time = sys::utcText(start.tv_sec, "%Y-%m-%d_%H-%M-%S");
    return formatted("%s.%06ldZ%s", time.c_str(), static_cast<long>(start.tv_nsec / 1000), kJournalSuffix);
}

}  // namespace

std::shared_ptr<const sys::Folder> openDefaultFolder(bool create, std::string& name, std::string& why,
                                                     bool* missing)
{
    std::string base;
    std::string below;
    if (missing)
        *missing = false;
    if (!defaultBase(base, below)) {
        name.clear();
        why = messages::kNoHome;
        return nullptr;
    }
    name = (base == "/" ? "" : base) + "/" + below;
    // Nothing is made in a folder of another user: a run as root with that
    // user's HOME must not leave root's folders and files there. A missing
    // base is made when the folder it goes in is ours, through that folder
    // held open, so that the folder checked is the one it is made in.
    int error = 0;
    std::shared_ptr<const sys::Folder> folder = sys::Folder::open(base, error);
    if (!folder && create && error == ENOENT) {
        const sys::SplitName split = sys::splitName(base);
        const std::shared_ptr<const sys::Folder> parent = sys::Folder::open(split.folder, error);
        struct stat status {};
        if (parent && sys::statusOf(parent->fd(), status) && status.st_uid == sys::effectiveUser()) {
            folder = parent->child(split.base, true);
            error = folder ? 0 : errno;
        } else {
            error = ENOENT;
        }
    }
    if (!folder) {
        if (missing)
            *missing = error == ENOENT;
        why = sys::folderError(error, messages::kFolderLinkNotFollowed, messages::kChangedMeanwhile);
        return nullptr;
    }
    size_t start = 0;
    std::string checked = base;
    while (folder) {
        if (!folderIsOurs(*folder, why)) {
            name = checked;  // the folder refused, which may lie above the journals'
            return nullptr;
        }
        if (start > below.size())
            return folder;
        const size_t end = std::min(below.find('/', start), below.size());
        const std::string part = below.substr(start, end - start);
        start = end + 1;
        checked += (checked == "/" ? "" : "/") + part;
        folder = folder->child(part, create);
    }
    if (missing)
        *missing = errno == ENOENT;
    why = std::strerror(errno);
    return nullptr;
}

bool journalMayBeRead(int fd, std::string& why)
{
    struct stat status {};
    if (!sys::statusOf(fd, status)) {
        why = std::strerror(errno);
        return false;
    }
    // A journal says which files to write and with what: one that another
    // user wrote, or could have, must not steer a run as root.
    if (!S_ISREG(status.st_mode))
        why = messages::kNotRegularFile;
    else if (status.st_uid != sys::effectiveUser() || (status.st_mode & kWritableByOthers) != 0)
        why = messages::kJournalOfAnotherUser;
    else
        return true;
    return false;
}

std::vector<JournalFile> journalsIn(const sys::Folder& held, int* error)
{
    std::vector<JournalFile> journals;
    std::vector<sys::FolderEntry> entries;
    const bool listed = sys::listFolder(held, entries, true);
    if (error)
        *error = listed ? 0 : errno;
    for (const sys::FolderEntry& entry : entries) {
        const std::string& name = entry.name;
        struct stat status {};
        if (entry.folder || name[0] == '.' || !endsWith(name, kJournalSuffix) || !held.statAt(name, status, false))
            continue;
        const bool regular = S_ISREG(status.st_mode);
        journals.push_back({name, regular ? static_cast<uint64_t>(status.st_size) : 0, regular});
    }
    std::sort(journals.begin(), journals.end(),
              [](const JournalFile& a, const JournalFile& b) { return a.name < b.name; });
    return journals;
}

void pruneJournals(const sys::Folder& held, const std::string& keep, size_t maxCount, uint64_t maxBytes)
{
    std::vector<JournalFile> journals = journalsIn(held);
    // What is no regular file is no journal a run made: neither counted nor removed.
    journals.erase(std::remove_if(journals.begin(), journals.end(), [](const JournalFile& j) { return !j.regular; }),
                   journals.end());
    uint64_t total = 0;
    for (const JournalFile& journal : journals)
        total += journal.size;
    size_t count = journals.size();
    for (const JournalFile& journal : journals) {
        if (count <= maxCount && total <= maxBytes)
            break;
        if (journal.name == keep)
            continue;
        // A run still writing its journal holds it locked, from before its
        // first byte: an empty one is a run's that has made it but not yet
        // taken the lock.
        const sys::Fd fd(held.openAt(journal.name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
        struct stat status {};
        if (!fd || !sys::lockFile(fd.get(), false) || !sys::statusOf(fd.get(), status) || status.st_size == 0)
            continue;
        if (held.unlinkAt(journal.name)) {
            --count;
            total -= journal.size;
        }
    }
}

sys::Fd openJournalToUndo(const std::string& given, std::string& name, std::string& why)
{
    name = given;
    sys::Fd fd;
    if (given.find('/') != std::string::npos) {
        const sys::SplitName split = sys::splitName(given);
        int error = 0;
        const std::shared_ptr<const sys::Folder> folder = sys::Folder::open(split.folder, error);
        if (folder) {
            fd = sys::Fd(folder->openAt(split.base, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
            error = errno;
        }
        if (!fd) {
            why = error == ELOOP ? messages::kJournalIsLink
                                 : sys::folderError(error, messages::kFolderLinkNotFollowed, messages::kChangedMeanwhile);
            return sys::Fd();
        }
    } else {
        std::string folderName;
        const std::shared_ptr<const sys::Folder> folder = openDefaultFolder(false, folderName, why);
        if (!folder) {
            name = folderName;
            return sys::Fd();
        }
        std::string chosen = given;
        if (chosen.empty()) {
            // A listing cut short (no descriptor left, say) is no empty folder.
            int error = 0;
            const std::vector<JournalFile> journals = journalsIn(*folder, &error);
            if (error != 0 || journals.empty()) {
                name = folderName;
                why = error != 0 ? std::strerror(error) : messages::kNoJournalYet;
                return sys::Fd();
            }
            chosen = journals.back().name;
        }
        name = folderName + "/" + chosen;
        return openJournalIn(*folder, chosen, why);
    }
    if (!journalMayBeRead(fd.get(), why))
        return sys::Fd();
    return fd;
}

sys::Fd openJournalIn(const sys::Folder& folder, const std::string& name, std::string& why)
{
    sys::Fd fd(folder.openAt(name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
    if (!fd) {
        why = errno == ELOOP ? messages::kJournalIsLink : std::strerror(errno);
        return sys::Fd();
    }
    if (!journalMayBeRead(fd.get(), why))
        return sys::Fd();
    return fd;
}

RunJournal::RunJournal(const JournalChoice& choice)
{
    if (choice.off)
        return;
    const timespec start = sys::wallClock();
    JournalHeader header;
    header.startSeconds = start.tv_sec;
    header.startMicroseconds = start.tv_nsec / 1000;
    header.folder = sys::workingFolder();
    header.undo = choice.undo;

    // An undo's journal goes where the next --undo looks: the default folder.
    if (!choice.named.empty() && !choice.undo) {
        // Made through its folder held open, which is then the one synced.
        const sys::SplitName split = sys::splitName(choice.named);
        int error = 0;
        const std::shared_ptr<const sys::Folder> parent = sys::Folder::open(split.folder, error);
        sys::Fd fd;
        if (parent)
            fd = sys::Fd(parent->openAt(split.base, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600));
        else
            errno = error > 0 ? error : EPERM;
        if (fd)
            writer_ = std::make_unique<JournalWriter>(std::move(fd), choice.named, header, choice.sync,
                                                      parent->fd());
        if (!writer_ || !writer_->error().empty()) {
            failure_ = writer_ ? writer_->error() : std::strerror(errno);
            writer_.reset();
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
            fd = sys::Fd(folder_->openAt(name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600));
            if (fd || errno != EEXIST)
                break;
            name = journalName(start);
            name.insert(name.size() - std::strlen(kJournalSuffix), "-" + std::to_string(attempt));
        }
        if (fd) {
            writer_ = std::make_unique<JournalWriter>(std::move(fd), name, header, choice.sync, folder_->fd());
            writer_->makeOptional();
            if (!writer_->error().empty()) {
                why = writer_->error();
                writer_.reset();
                folder_->unlinkAt(name);
            }
        } else {
            why = std::strerror(errno);
        }
    } else if (why.empty()) {
        why = std::strerror(errno);
    }
    if (!writer_) {
        folder_.reset();
        note_ = folderName.empty() ? formatted(messages::kNoteNoJournalFolder, why.c_str())
                                   : formatted(messages::kNoteNoJournal, folderName.c_str(), why.c_str());
    }
}

io::CommitOptions RunJournal::commitOptions(bool sync) const
{
    io::CommitOptions options;
    options.sync = sync;
    if (JournalWriter* writer = writer_.get()) {
        options.reportModified = true;
        options.beforeWrite = [writer](io::OriginalFile& original, io::EditStream& edits, std::string& why) {
            return writer->recordSave(original, edits, why);
        };
        options.beforeReplace = [writer](int fd, std::string& why) { return writer->recordStaged(fd, why); };
    }
    return options;
}

void RunJournal::afterCommit(const io::CommitResult& commit) const
{
    if (!writer_)
        return;
    if (commit.written && commit.path != io::CommitPath::Unchanged)
        writer_->recordCommitted(commit.modifiedKnown, commit.modified);
    else
        writer_->recordNotCommitted();
}

RunJournal::~RunJournal()
{
    if (!folder_ || !writer_)
        return;
    // A run that changed nothing leaves no journal: --undo then means the
    // last run that did.
    if (writer_->files() == 0)
        folder_->unlinkAt(writer_->name());
    pruneJournals(*folder_, writer_->name());
}

}  // namespace tagshifter::undo
