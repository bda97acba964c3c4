#include "io/commit.h"

#include "common/messages.h"
#include "io/file_metadata.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tagshifter::io {

namespace {

constexpr uint64_t kBlockSize = 1 << 20;
// Changed runs closer than this are written as one.
constexpr uint64_t kJoinGap = 4096;

using namespace messages;

bool failing(const CommitOptions& options, CommitStep step)
{
    if (options.failStep && options.failStep(step)) {
        errno = EIO;
        return true;
    }
    return false;
}

std::string systemError(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

// Calls `writeSome(data, size, done)` (write(2) or pwrite(2) of what is left
// after `done` bytes) until everything is written.
template <typename WriteSome>
bool writeFully(const char* data, uint64_t size, WriteSome writeSome)
{
    uint64_t done = 0;
    while (done < size) {
        const ssize_t wrote = writeSome(data + done, size - done, done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        done += static_cast<uint64_t>(wrote);
    }
    return true;
}

bool writeAll(int fd, const char* data, uint64_t size)
{
    return writeFully(data, size,
                      [fd](const char* from, uint64_t left, uint64_t) { return write(fd, from, left); });
}

bool pwriteAll(int fd, const char* data, uint64_t size, uint64_t offset)
{
    return writeFully(data, size, [fd, offset](const char* from, uint64_t left, uint64_t done) {
        return pwrite(fd, from, left, static_cast<off_t>(offset + done));
    });
}

// The pieces with where each starts in the new content.
struct PlacedPiece {
    Piece piece;
    uint64_t at;
    bool inPlace() const { return piece.original && piece.from == at; }
};

std::vector<PlacedPiece> place(const std::vector<Piece>& pieces)
{
    std::vector<PlacedPiece> placed;
    uint64_t at = 0;
    for (const Piece& piece : pieces) {
        placed.push_back({piece, at});
        at += piece.length;
    }
    return placed;
}

// Same length: the runs that differ from the file, each written with one
// pwrite (runs a few bytes apart joined).
CommitResult writeChangedRuns(OriginalFile& original, EditStream& edits, const CommitOptions& options)
{
    struct Run {
        uint64_t begin, end;
    };
    std::vector<Run> runs;
    for (const PlacedPiece& placed : place(edits.pieces())) {
        if (placed.inPlace())
            continue;
        std::string now;
        edits.appendPiece(placed.piece, now);
        std::string before;
        original.read(placed.at, placed.piece.length, before);
        if (now.size() != before.size())
            return {false, CommitPath::SameLength, kChangedWhileRead};
        for (uint64_t i = 0; i < now.size(); ++i) {
            if (now[i] == before[i])
                continue;
            const uint64_t at = placed.at + i;
            if (!runs.empty() && at <= runs.back().end + kJoinGap)
                runs.back().end = at + 1;
            else
                runs.push_back({at, at + 1});
        }
    }
    if (original.failed())
        return {false, CommitPath::SameLength, kReadError};
    for (const Run& run : runs) {
        const std::string bytes = edits.contentAt(run.begin, run.end - run.begin);
        if (failing(options, CommitStep::WriteInPlace)
            || !pwriteAll(original.fd(), bytes.data(), bytes.size(), run.begin))
            return {false, CommitPath::SameLength, systemError(kCannotWrite)};
    }
    if (options.sync && !runs.empty() && fsync(original.fd()) != 0)
        return {false, CommitPath::SameLength, systemError(kCannotSync)};
    return {true, runs.empty() ? CommitPath::Unchanged : CommitPath::SameLength, {}};
}

// Copies `length` bytes of the original at `offset` to the end of `to`, in
// the kernel where it can.
bool copyOriginal(OriginalFile& original, uint64_t offset, uint64_t length, int to)
{
    loff_t from = static_cast<loff_t>(offset);
    bool kernelCopy = true;
    while (length > 0 && kernelCopy) {
        const ssize_t done = copy_file_range(original.fd(), &from, to, nullptr, length, 0);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            if (done == 0 || (errno != EXDEV && errno != EINVAL && errno != ENOSYS
                              && errno != EOPNOTSUPP && errno != EBADF))
                return false;
            kernelCopy = false;
            break;
        }
        length -= static_cast<uint64_t>(done);
    }
    offset = static_cast<uint64_t>(from);
    while (length > 0) {
        std::string block;
        if (!original.readFresh(offset, std::min(length, kBlockSize), block) || block.empty()
            || !writeAll(to, block.data(), block.size()))
            return false;
        offset += block.size();
        length -= block.size();
    }
    return true;
}

// The new file beside the old one: made without a name where the system
// allows it (nothing is left behind if the run dies), named when it is in place.
class TemporaryFile {
public:
    TemporaryFile(const std::string& target) : target_(target)
    {
        const size_t slash = target.rfind('/');
        folder_ = slash == std::string::npos ? "." : target.substr(0, slash == 0 ? 1 : slash);
        base_ = slash == std::string::npos ? target : target.substr(slash + 1);
        fd_ = open(folder_.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (fd_ < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL))
            createNamed();
    }
    ~TemporaryFile()
    {
        if (fd_ >= 0)
            close(fd_);
        if (!name_.empty())
            unlink(name_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return fd_; }

    // Gives the file its name, if it has none yet, and renames it over the target.
    bool replaceTarget()
    {
        if (name_.empty()) {
            const std::string self = "/proc/self/fd/" + std::to_string(fd_);
            for (int attempt = 0; attempt < 100 && name_.empty(); ++attempt) {
                const std::string name = candidateName();
                if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
                    name_ = name;
                else if (errno != EEXIST)
                    return false;
            }
            if (name_.empty())
                return false;
        }
        if (rename(name_.c_str(), target_.c_str()) != 0)
            return false;
        name_.clear();
        return true;
    }

    bool syncFolder() const
    {
        const int folder = open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder < 0)
            return false;
        const bool synced = fsync(folder) == 0;
        close(folder);
        return synced;
    }

private:
    std::string candidateName() const
    {
        static unsigned counter = 0;
        timespec now {};
        clock_gettime(CLOCK_REALTIME, &now);
        unsigned long mix = static_cast<unsigned long>(now.tv_nsec) ^ (static_cast<unsigned long>(getpid()) << 20)
                            ^ (++counter * 2654435761u);
        static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
        std::string suffix;
        for (int i = 0; i < 6; ++i, mix /= 36)
            suffix += kLetters[mix % 36];
        return folder_ + "/." + base_ + kTemporaryMark + suffix;
    }

    void createNamed()
    {
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string name = candidateName();
            fd_ = open(name.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC | O_NOFOLLOW, 0600);
            if (fd_ >= 0) {
                name_ = name;
                return;
            }
            if (errno != EEXIST)
                return;
        }
    }

    std::string target_;
    std::string folder_;
    std::string base_;
    std::string name_;  // empty while the file has no name, and once renamed
    int fd_ = -1;
};

enum class RenameOutcome { Done, Failed, NotPossible };

RenameOutcome writeAndRename(OriginalFile& original, EditStream& edits, const CommitOptions& options,
                             std::string& error)
{
    if (failing(options, CommitStep::CreateTemporary))
        return RenameOutcome::NotPossible;
    TemporaryFile temporary(original.name());
    if (temporary.fd() < 0)
        return RenameOutcome::NotPossible;  // a folder it cannot write, say
    if (failing(options, CommitStep::CopyMetadata) || !copyMetadata(original, temporary.fd()))
        return RenameOutcome::NotPossible;

    std::string pending;  // written bytes gathered into large writes
    auto flush = [&] {
        const bool ok = writeAll(temporary.fd(), pending.data(), pending.size());
        pending.clear();
        return ok;
    };
    bool ok = !failing(options, CommitStep::WriteTemporary);
    for (const Piece& piece : edits.pieces()) {
        if (!ok)
            break;
        if (!piece.original || piece.length < 4096) {
            edits.appendPiece(piece, pending);
            if (pending.size() >= kBlockSize)
                ok = flush();
        } else {
            ok = flush() && copyOriginal(original, piece.from, piece.length, temporary.fd());
        }
    }
    ok = ok && flush() && !original.failed();
    if (!ok) {
        error = systemError(kCannotWriteNewFile);
        return RenameOutcome::Failed;
    }
    if (options.sync && fsync(temporary.fd()) != 0) {
        error = systemError(kCannotSync);
        return RenameOutcome::Failed;
    }
    // The name must still lead to the file that was read.
    if (!nameLeadsToFile(original)) {
        error = kReplacedMeanwhile;
        return RenameOutcome::Failed;
    }
    if (failing(options, CommitStep::Rename) || !temporary.replaceTarget()) {
        error = systemError(kCannotRename);
        return RenameOutcome::Failed;
    }
    if (options.sync && !temporary.syncFolder()) {
        error = systemError(kCannotSyncFolder);
        return RenameOutcome::Failed;
    }
    return RenameOutcome::Done;
}

// Writes the new content over the old from the first changed byte on, in
// blocks, in the order that reads every byte of the old file before it is
// overwritten (back to front when the content moves towards the end).
CommitResult writeInPlace(OriginalFile& original, EditStream& edits, const CommitOptions& options)
{
    const std::vector<PlacedPiece> placed = place(edits.pieces());
    const uint64_t newLength = edits.contentLength();
    uint64_t firstChange = std::min(newLength, original.size());
    bool movesForward = false;
    bool movesBack = false;
    for (const PlacedPiece& p : placed) {
        if (p.inPlace())
            continue;
        firstChange = std::min(firstChange, p.at);
        if (p.piece.original) {
            movesForward = movesForward || p.at > p.piece.from;
            movesBack = movesBack || p.at < p.piece.from;
        }
    }
    // The bytes of [begin, end) of the new content, old bytes read afresh.
    auto assemble = [&](uint64_t begin, uint64_t end, std::string& out) {
        for (const PlacedPiece& p : placed) {
            const uint64_t pieceEnd = p.at + p.piece.length;
            if (pieceEnd <= begin || p.at >= end)
                continue;
            const uint64_t skip = begin > p.at ? begin - p.at : 0;
            const uint64_t take = std::min(pieceEnd, end) - p.at - skip;
            if (p.piece.original) {
                if (!original.readFresh(p.piece.from + skip, take, out))
                    return false;
            } else {
                edits.appendPiece({false, p.piece.from + skip, take}, out);
            }
        }
        return out.size() == end - begin;
    };
    auto fail = [](const std::string& why) { return CommitResult{false, CommitPath::InPlace, why}; };

    if (movesForward && movesBack) {
        // Parts move both ways: only all of it at once is safe.
        if (newLength - firstChange > 64 * kBlockSize)
            return fail(kCannotWriteInPlace);
        std::string all;
        if (!assemble(firstChange, newLength, all))
            return fail(systemError(kCannotRead));
        if (failing(options, CommitStep::WriteInPlace)
            || !pwriteAll(original.fd(), all.data(), all.size(), firstChange))
            return fail(systemError(kCannotWrite));
    } else {
        const uint64_t blocks = (newLength - firstChange + kBlockSize - 1) / kBlockSize;
        for (uint64_t i = 0; i < blocks; ++i) {
            const uint64_t index = movesForward ? blocks - 1 - i : i;
            const uint64_t begin = firstChange + index * kBlockSize;
            const uint64_t end = std::min(newLength, begin + kBlockSize);
            std::string block;
            if (!assemble(begin, end, block))
                return fail(systemError(kCannotRead));
            if (failing(options, CommitStep::WriteInPlace)
                || !pwriteAll(original.fd(), block.data(), block.size(), begin))
                return fail(systemError(kCannotWrite));
        }
    }
    if (newLength < original.size() && ftruncate(original.fd(), static_cast<off_t>(newLength)) != 0)
        return fail(systemError(kCannotTruncate));
    if (options.sync && fsync(original.fd()) != 0)
        return fail(systemError(kCannotSync));
    return {true, CommitPath::InPlace, {}};
}

}  // namespace

CommitResult commitEdits(OriginalFile& original, EditStream& edits, const CommitOptions& options)
{
    if (original.failed())
        return {false, CommitPath::Unchanged, kReadError};
    if (edits.unchanged())
        return {true, CommitPath::Unchanged, {}};
    std::string refusal;
    if (options.beforeWrite && !options.beforeWrite(original, edits, refusal))
        return {false, CommitPath::Unchanged, refusal};
    if (edits.contentLength() == original.size())
        return writeChangedRuns(original, edits, options);
    if (!nameLeadsToFile(original))
        return {false, CommitPath::Unchanged, kReplacedMeanwhile};
    if (renameObstacle(original).empty()) {
        std::string error;
        switch (writeAndRename(original, edits, options, error)) {
        case RenameOutcome::Done:
            return {true, CommitPath::Renamed, {}};
        case RenameOutcome::Failed:
            return {false, CommitPath::Renamed, error};
        case RenameOutcome::NotPossible:
            break;
        }
    }
    return writeInPlace(original, edits, options);
}

}  // namespace tagshifter::io
