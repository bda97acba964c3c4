#include "undo/journal.h"

#include "common/messages.h"
#include "undo/codec.h"
#include "undo/entry_builder.h"
#include "undo/hash.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tagshifter::undo {

namespace {

constexpr char kMagic[] = "tagshifter journal 1\n";
constexpr char kHeader = 'H';
constexpr char kFile = 'F';
constexpr char kCommitted = 'C';
// A record: its length, the hash of its body, the body (type and payload).
constexpr size_t kRecordHead = 16;

bool writeAll(int fd, const std::string& bytes)
{
    return sys::writeAt(fd, bytes.data(), bytes.size(), -1) == bytes.size();
}

}  // namespace

std::string absoluteName(const std::string& folder, const std::string& name)
{
    if (!name.empty() && name[0] == '/')
        return name;
    return folder == "/" ? "/" + name : folder + "/" + name;
}

JournalWriter::JournalWriter(sys::Fd fd, const std::string& name, const JournalHeader& header,
                             bool sync, int folder)
    : fd_(std::move(fd)), name_(name), folder_(header.folder), sync_(sync)
{
    RecordWriter out;
    out.text(kMagic);
    out.u64(static_cast<uint64_t>(header.startSeconds));
    out.u64(static_cast<uint64_t>(header.startMicroseconds));
    out.text(header.folder);
    out.u8(header.undo ? 1 : 0);
    if (!write(record(kHeader, out.bytes())) || (sync_ && folder >= 0 && fsync(folder) != 0))
        error_ = std::strerror(errno);
}

JournalWriter::~JournalWriter()
{
    if (!heldBack_.empty() && !lost_)
        write(heldBack_);
}

std::string JournalWriter::record(char type, const std::string& payload)
{
    const std::string body = type + payload;
    RecordWriter head;
    head.u64(body.size());
    head.u64(hashBytes(body));
    return head.bytes() + body;
}

bool JournalWriter::write(const std::string& records)
{
    return writeAll(fd_.get(), records) && (!sync_ || fdatasync(fd_.get()) == 0);
}

std::string JournalWriter::takeLoss()
{
    return std::move(loss_);
}

bool JournalWriter::recordSave(io::OriginalFile& original, io::EditStream& edits, std::string& why)
{
    if (lost_)
        return true;
    const FileEntry entry = buildEntry(absoluteName(folder_, original.name()), original, edits);
    uint64_t total = 0;
    for (const Segment& segment : entry.old)
        total += segment.length;
    if (original.failed() || total != entry.oldSize) {
        why = messages::kReadError;
        return false;
    }
    std::string records = std::move(heldBack_);
    heldBack_.clear();
    records += record(kFile, entry.encode());
    if (!write(records)) {
        const char* error = std::strerror(errno);
        why = std::string(messages::kCannotWriteJournal) + ": " + error;
        if (!optional_)
            return false;
        lost_ = true;
        loss_ = error;
        return true;
    }
    ++files_;
    pending_ = true;
    return true;
}

void JournalWriter::recordCommitted(bool known, const struct timespec& modified)
{
    if (!pending_)
        return;
    pending_ = false;
    if (!known)
        return;  // the entry stands without the time
    RecordWriter out;
    out.u64(files_ - 1);
    out.u64(static_cast<uint64_t>(modified.tv_sec));
    out.u64(static_cast<uint64_t>(modified.tv_nsec));
    heldBack_ += record(kCommitted, out.bytes());
}

bool readJournal(int fd, JournalContents& contents, std::string& why)
{
    struct stat status {};
    if (fstat(fd, &status) != 0) {
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
    size_t at = 0;
    while (all.size() - at >= kRecordHead) {
        const std::string head = all.substr(at, kRecordHead);
        RecordReader headReader(head);
        const uint64_t length = headReader.u64();
        const uint64_t hash = headReader.u64();
        if (length == 0 || length > all.size() - at - kRecordHead)
            break;
        const std::string body = all.substr(at + kRecordHead, length);
        if (hashBytes(body) != hash)
            break;
        at += kRecordHead + length;
        const std::string payload = body.substr(1);
        RecordReader in(payload);
        if (!headerSeen) {
            if (body[0] != kHeader || in.text() != kMagic)
                break;
            contents.header.startSeconds = static_cast<int64_t>(in.u64());
            contents.header.startMicroseconds = static_cast<int64_t>(in.u64());
            contents.header.folder = in.text();
            contents.header.undo = in.u8() != 0;
            headerSeen = in.ok();
        } else if (body[0] == kFile) {
            FileEntry entry;
            if (!entry.decode(payload))
                break;
            contents.files.push_back(std::move(entry));
        } else if (body[0] == kCommitted) {
            const uint64_t index = in.u64();
            const int64_t seconds = static_cast<int64_t>(in.u64());
            const int64_t nanoseconds = static_cast<int64_t>(in.u64());
            if (in.ok() && index < contents.files.size()) {
                FileEntry& entry = contents.files[index];
                entry.committed = true;
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
