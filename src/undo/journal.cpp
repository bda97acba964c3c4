#include "undo/journal.h"

#include "common/messages.h"
#include "undo/codec.h"
#include "undo/entry_builder.h"
#include "undo/hash.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tagshifter::undo {

namespace {

constexpr char kMagic[] = "tagshifter journal 3\n";
// Journals before the new file was hashed chunk by chunk: still undone.
constexpr char kMagicUnchunked[] = "tagshifter journal 2\n";
constexpr char kHeader = 'H';
constexpr char kFile = 'F';
constexpr char kCommitted = 'C';
constexpr char kStaged = 'S';
// An undo's: the journal it undoes, then once it went through every file.
// Older readers pass over both.
constexpr char kUndoes = 'U';
constexpr char kFinished = 'E';
// A record: its length, the hash of its body, the body (type and payload).
constexpr size_t kRecordHead = 16;
// Payloads up to this size go out with their head in one write.
constexpr size_t kJoinedRecord = 1 << 20;

uint64_t bodyHash(char type, const char* payload, size_t size)
{
    return hashBytes(payload, size, hashBytes(&type, 1));
}

bool writeAll(int fd, const std::string& bytes)
{
    return sys::writeAt(fd, bytes.data(), bytes.size(), -1) == bytes.size();
}

// An absolute name: `name` itself, or `name` within `folder`.
std::string absoluteName(const std::string& folder, const std::string& name)
{
    if (!name.empty() && name[0] == '/')
        return name;
    return folder == "/" ? "/" + name : folder + "/" + name;
}

}  // namespace

JournalWriter::JournalWriter(sys::Fd fd, const std::string& name, const JournalHeader& header,
                             bool sync, int folder)
    : fd_(std::move(fd)), name_(name), folder_(header.folder), sync_(sync)
{
    // Held while the run lives: pruning by another run leaves it alone.
    sys::lockFile(fd_.get(), true);
    RecordWriter out;
    out.text(kMagic);
    out.u64(static_cast<uint64_t>(header.startSeconds));
    out.u64(static_cast<uint64_t>(header.startMicroseconds));
    out.text(header.folder);
    out.u8(header.undo ? 1 : 0);
    if (!write(kHeader, out.bytes()) || (sync_ && folder >= 0 && !sys::syncFile(folder)))
        error_ = std::strerror(errno);
}

JournalWriter::JournalWriter(sys::Fd fd, const std::string& name, const JournalContents& contents, bool sync)
    : fd_(std::move(fd)), name_(name), folder_(contents.header.folder), sync_(sync), files_(contents.files.size())
{
    // A record the kill tore would hide every one after it.
    if (contents.size != contents.whole && !sys::truncateTo(fd_.get(), contents.whole))
        error_ = std::strerror(errno);
    for (const FileEntry& entry : contents.files)
        paths_.push_back(entry.path);
}

bool JournalWriter::write(char type, const std::string& payload)
{
    RecordWriter head;
    head.reserve(kRecordHead);
    head.u64(payload.size() + 1);
    head.u64(bodyHash(type, payload.data(), payload.size()));
    const bool joined = payload.size() <= kJoinedRecord;
    std::string record;
    record.reserve(kRecordHead + 1 + (joined ? payload.size() : 0));
    record += head.bytes();
    record += type;
    bool written;
    if (joined) {
        record += payload;
        written = writeAll(fd_.get(), record);
    } else {
        written = writeAll(fd_.get(), record) && writeAll(fd_.get(), payload);
    }
    return written && (!sync_ || sys::syncData(fd_.get()));
}

std::string JournalWriter::takeLoss()
{
    return std::move(loss_);
}

bool JournalWriter::giveWay(std::string& why)
{
    lost_ = true;
    loss_ = std::strerror(errno);
    why = std::string(messages::kCannotWriteJournal) + ": " + loss_;
    return optional_;
}

bool JournalWriter::recordSave(io::OriginalFile& original, io::EditStream& edits, std::string& why)
{
    if (lost_) {
        why = std::string(messages::kCannotWriteJournal) + ": " + loss_;
        return optional_;
    }
    const std::string path = absoluteName(folder_, original.name());
    // The entry of the undo cut short describes the save, which writes what
    // that undo was writing: the file's old bytes, byte for byte.
    const auto earlier = std::find(paths_.rbegin(), paths_.rend(), path);
    if (earlier != paths_.rend()) {
        current_ = static_cast<size_t>(paths_.rend() - earlier) - 1;
        pending_ = true;
        return true;
    }
    const FileEntry entry = buildEntry(path, original, edits);
    uint64_t total = 0;
    for (const Segment& segment : entry.old)
        total += segment.length;
    if (original.failed() || total != entry.oldSize) {
        why = messages::kReadError;
        return false;
    }
    if (!write(kFile, entry.encode()))
        return giveWay(why);
    current_ = files_++;
    pending_ = true;
    return true;
}

bool JournalWriter::recordUndoes(const UndoneJournal& undone)
{
    RecordWriter out;
    out.text(undone.name);
    out.u64(undone.device);
    out.u64(undone.inode);
    return write(kUndoes, out.bytes());
}

void JournalWriter::recordFinished()
{
    if (!lost_ && !write(kFinished, std::string())) {
        lost_ = true;
        loss_ = std::strerror(errno);
    }
}

bool JournalWriter::recordStaged(int fd, std::string& why)
{
    if (!pending_ || lost_)
        return optional_ || !lost_;
    struct stat status {};
    RecordWriter out;
    out.u64(current_);
    const bool known = sys::statusOf(fd, status);
    out.u64(static_cast<uint64_t>(status.st_dev));
    out.u64(static_cast<uint64_t>(status.st_ino));
    if (!known || !write(kStaged, out.bytes()))
        return giveWay(why);
    return true;
}

void JournalWriter::recordCommitted(bool known, const struct timespec& modified)
{
    if (!pending_)
        return;
    pending_ = false;
    if (lost_)
        return;
    RecordWriter out;
    out.u64(current_);
    out.u8(known ? 1 : 0);
    out.u64(static_cast<uint64_t>(modified.tv_sec));
    out.u64(static_cast<uint64_t>(modified.tv_nsec));
    if (!write(kCommitted, out.bytes())) {
        // The file is saved, but the undo will not take it as the run's:
        // said as a lost journal is, and nothing more is written.
        lost_ = true;
        loss_ = std::strerror(errno);
    }
}

bool readJournal(int fd, JournalContents& contents, std::string& why)
{
    struct stat status {};
    if (!sys::statusOf(fd, status)) {
        why = std::strerror(errno);
        return false;
    }
    contents.size = static_cast<uint64_t>(status.st_size);
    std::string all;
    if (!io::preadFully(fd, 0, contents.size, all)) {
        why = std::strerror(errno);
        return false;
    }
    bool headerSeen = false;
    bool chunked = true;
    size_t at = 0;
    while (all.size() - at >= kRecordHead) {
        const std::string head = all.substr(at, kRecordHead);
        RecordReader headReader(head);
        const uint64_t length = headReader.u64();
        const uint64_t hash = headReader.u64();
        if (length == 0 || length > all.size() - at - kRecordHead)
            break;
        const char type = all[at + kRecordHead];
        if (bodyHash(type, all.data() + at + kRecordHead + 1, length - 1) != hash)
            break;
        const std::string payload = all.substr(at + kRecordHead + 1, length - 1);
        at += kRecordHead + length;
        contents.whole = at;
        RecordReader in(payload);
        if (!headerSeen) {
            const std::string magic = type == kHeader ? in.text() : std::string();
            if (magic != kMagic && magic != kMagicUnchunked)
                break;
            chunked = magic == kMagic;
            contents.header.startSeconds = static_cast<int64_t>(in.u64());
            contents.header.startMicroseconds = static_cast<int64_t>(in.u64());
            contents.header.folder = in.text();
            contents.header.undo = in.u8() != 0;
            headerSeen = in.ok();
        } else if (type == kFile) {
            FileEntry entry;
            if (!entry.decode(payload, chunked))
                break;
            contents.files.push_back(std::move(entry));
        } else if (type == kStaged) {
            const uint64_t index = in.u64();
            const uint64_t device = in.u64();
            const uint64_t inode = in.u64();
            if (in.ok() && index < contents.files.size()) {
                FileEntry& entry = contents.files[index];
                entry.stagedKnown = true;
                entry.stagedDevice = device;
                entry.stagedInode = inode;
            }
        } else if (type == kUndoes) {
            UndoneJournal undone;
            undone.name = in.text();
            undone.device = in.u64();
            undone.inode = in.u64();
            if (in.ok()) {
                contents.undoesKnown = true;
                contents.undoes = std::move(undone);
            }
        } else if (type == kFinished) {
            contents.finished = true;
        } else if (type == kCommitted) {
            const uint64_t index = in.u64();
            const bool known = in.u8() != 0;
            const int64_t seconds = static_cast<int64_t>(in.u64());
            const int64_t nanoseconds = static_cast<int64_t>(in.u64());
            if (in.ok() && index < contents.files.size()) {
                FileEntry& entry = contents.files[index];
                entry.committed = true;
                entry.mtimeKnown = known;
                entry.mtimeSeconds = seconds;
                entry.mtimeNanoseconds = nanoseconds;
            }
        }
    }
    if (!headerSeen)
        why = messages::kNotAJournal;
    return headerSeen;
}

}  // namespace tagshifter::undo
