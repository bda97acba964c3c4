#include "io/commit.h"

#include "common/format.h"
#include "common/messages.h"
#include "io/old_bytes.h"
#include "sys/fd.h"
#include "sys/metadata.h"
#include "sys/seam.h"
#include "sys/temporary.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace tagshifter::io {

namespace {

constexpr uint64_t kBlockSize = 1 << 20;
// Blocks written back to front are no shorter than this, however little the
// bytes move.
constexpr uint64_t kShortestBlock = 512;
// Changed runs closer than this are written as one.
constexpr uint64_t kJoinGap = 4096;
// The most old bytes held in memory to put back after a failed write.
constexpr uint64_t kMostHeld = 64 * kBlockSize;

using namespace messages;

// A new file renamed over the original would lose what the metadata copy
// cannot bring over: a symbolic link operand, or the file's other names.
bool renameKeepsAll(const OriginalFile& original)
{
    return !original.viaLink() && original.status().st_nlink <= 1;
}

// The written file's modification time, from the descriptor written.
CommitResult written(CommitResult result, int fd, const CommitOptions& options)
{
    struct stat status {};
    if (options.reportModified && sys::statusOf(fd, status)) {
        result.modifiedKnown = true;
        result.modified = status.st_mtim;
    }
    return result;
}

// The file written over by `path`: flushed when asked (a flush that fails is
// a warning), and its modification time taken.
CommitResult writtenOver(CommitPath path, int fd, const CommitOptions& options)
{
    CommitResult result(true, path);
    if (options.sync && !sys::syncFile(fd))
        result.warning = sys::describe(kCannotSync, errno);
    return written(std::move(result), fd, options);
}

// A write the test seam may fail; the bytes written.
uint64_t writeStep(sys::Step step, int fd, std::string_view bytes, int64_t at)
{
    if (!sys::stepAllowed(step))
        return 0;
    return sys::writeAt(fd, bytes.data(), bytes.size(), at);
}

// After the last write: the file has the length written. Another writer
// that cut it short (or grew it) while it was being written left a file
// that is not the one converted.
bool lengthAsWritten(int fd, uint64_t length)
{
    struct stat status {};
    return sys::statusOf(fd, status) && static_cast<uint64_t>(status.st_size) == length;
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

// Why a step failed: the file changed under it (a shorter read), or the
// system's reason, taken before anything else can change errno.
std::string whyFailed(const OriginalFile& original, const char* what)
{
    const std::string error = sys::describe(what, errno);
    std::string changed;
    return original.unchangedSinceRead(changed) ? error : changed;
}

// The failed write's reason, and how the putting back went.
std::string afterFailedWrite(const std::string& why, const OldBytes::Outcome& undo)
{
    if (undo.complete)
        return why + kOldBytesPutBack;
    return why + formatted(kOldBytesNotPutBack, static_cast<unsigned long long>(undo.firstLost),
                           static_cast<unsigned long long>(undo.endLost - 1), undo.error.c_str());
}

struct Run {
    uint64_t begin, end;
};

bool sameWord(const char* a, const char* b)
{
    uint64_t x, y;
    std::memcpy(&x, a, 8);
    std::memcpy(&y, b, 8);
    return x == y;
}

// Adds to `runs` where `now` differs from `before`, both lying at `at` in the
// file: a difference within kJoinGap of the last run's end joins that run.
// Within a run's reach only the last difference matters, so it is looked
// for from the reach's end back, and the first one outside it from the
// front, a word at a time where the bytes are equal.
void addDifferences(const std::string& now, const std::string& before, uint64_t at, std::vector<Run>& runs)
{
    const size_t size = now.size();
    size_t i = 0;
    while (i < size) {
        if (!runs.empty() && at + i <= runs.back().end + kJoinGap) {
            const size_t reach = std::min<uint64_t>(size, runs.back().end + kJoinGap + 1 - at);
            size_t j = reach;
            while (j >= i + 8 && sameWord(&now[j - 8], &before[j - 8]))
                j -= 8;
            while (j > i && now[j - 1] == before[j - 1])
                --j;
            if (j > i)
                runs.back().end = at + j;
            i = j > i ? j : reach;
            continue;
        }
        while (i + 8 <= size && sameWord(&now[i], &before[i]))
            i += 8;
        while (i < size && now[i] == before[i])
            ++i;
        if (i < size) {
            runs.push_back({at + i, at + i + 1});
            ++i;
        }
    }
}

// Same length: the runs that differ from the file, each written with one
// pwrite (runs a few bytes apart joined), their old bytes kept to be put
// back should a later one fail.
CommitResult writeChangedRuns(OriginalFile& original, EditStream& edits, const CommitOptions& options)
{
    std::vector<Run> runs;
    for (const PlacedPiece& placed : place(edits.pieces())) {
        if (placed.inPlace())
            continue;
        // Compared a block at a time, so that a large tag is not held twice more.
        for (uint64_t done = 0; done < placed.piece.length; done += kBlockSize) {
            const Piece block{placed.piece.original, placed.piece.from + done,
                              std::min(kBlockSize, placed.piece.length - done)};
            std::string now;
            edits.appendPiece(block, now);
            std::string before;
            original.read(placed.at + done, block.length, before);
            if (now.size() != before.size())
                return {false, CommitPath::SameLength, kChangedMeanwhile};
            addDifferences(now, before, placed.at + done, runs);
        }
    }
    if (original.failed())
        return {false, CommitPath::SameLength, kReadError};
    if (runs.empty())
        return {true, CommitPath::Unchanged, {}};
    std::string why;
    if (options.beforeWrite && !options.beforeWrite(original, edits, why))
        return {false, CommitPath::Unchanged, why};
    if (!original.takeWriteAccess(why) || !original.unchangedSinceRead(why))
        return {false, CommitPath::SameLength, why};
    OldBytes undo(original, {});
    try {
        for (const Run& run : runs) {
            std::string old;
            original.read(run.begin, run.end - run.begin, old);
            undo.aboutToWrite(run.begin, std::move(old));
            std::string spill;
            const std::string_view bytes = edits.bytesAt(run.begin, run.end - run.begin, spill);
            if (writeStep(sys::Step::WriteInPlace, original.fd(), bytes, static_cast<int64_t>(run.begin))
                != bytes.size()) {
                const std::string error = sys::describe(kCannotWrite, errno);
                return {false, CommitPath::SameLength, afterFailedWrite(error, undo.putBack(original.size()))};
            }
            undo.written();
        }
    } catch (const std::bad_alloc&) {
        // Memory ran out between two writes: what was written goes back.
        return {false, CommitPath::SameLength, afterFailedWrite(kOutOfMemory, undo.putBack(original.size()))};
    }
    if (!lengthAsWritten(original.fd(), original.size()))
        return {false, CommitPath::SameLength, kChangedMeanwhile};
    return writtenOver(CommitPath::SameLength, original.fd(), options);
}

// Copies `length` bytes of the original at `offset` to the end of `to`, in
// the kernel where it can.
bool copyOriginal(OriginalFile& original, uint64_t offset, uint64_t length, int to)
{
    bool kernelCopy = true;
    while (length > 0 && kernelCopy) {
        const int64_t done = sys::copyRange(original.fd(), offset, to, length);
        if (done <= 0) {
            if (done == 0 || (errno != EXDEV && errno != EINVAL && errno != ENOSYS
                              && errno != EOPNOTSUPP && errno != EBADF))
                return false;
            kernelCopy = false;
            break;
        }
        length -= static_cast<uint64_t>(done);
    }
    while (length > 0) {
        std::string block;
        if (!original.readFresh(offset, std::min(length, kBlockSize), block) || block.empty()
            || sys::writeAt(to, block.data(), block.size(), -1) != block.size())
            return false;
        offset += block.size();
        length -= block.size();
    }
    return true;
}

enum class RenameOutcome { Done, Failed, NotPossible };

RenameOutcome writeAndRename(OriginalFile& original, EditStream& edits, const CommitOptions& options,
                             CommitResult& result)
{
    // An append-only or immutable folder would keep the temporary name.
    if (original.folder().forbidsReplacing())
        return RenameOutcome::NotPossible;
    sys::TemporaryFile temporary(original.sharedFolder(), original.base());
    if (!temporary.isOpen()) {
        // A folder this user may not write is written in place; no space,
        // no quota or an I/O error fail the file.
        const int error = temporary.error();
        if (error == EACCES || error == EPERM || error == EROFS)
            return RenameOutcome::NotPossible;
        result.error = sys::describe(kCannotCreateNewFile, error);
        return RenameOutcome::Failed;
    }
    if (!sys::stepAllowed(sys::Step::CopyMetadata)
        || !sys::copyMetadata(original.fd(), original.status(), temporary.fd()))
        return RenameOutcome::NotPossible;

    std::string pending;  // written bytes gathered into large writes
    auto flush = [&] {
        const bool ok = sys::writeAt(temporary.fd(), pending.data(), pending.size(), -1) == pending.size();
        pending.clear();
        return ok;
    };
    bool ok = sys::stepAllowed(sys::Step::WriteTemporary);
    for (const Piece& piece : edits.pieces()) {
        if (!ok)
            break;
        if (!piece.original && piece.length >= kBlockSize) {
            // A large new tag goes out from where it is held, not copied.
            const std::string_view bytes = edits.writtenBytes(piece);
            ok = flush() && sys::writeAt(temporary.fd(), bytes.data(), bytes.size(), -1) == bytes.size();
        } else if (!piece.original || piece.length < 4096) {
            edits.appendPiece(piece, pending);
            if (pending.size() >= kBlockSize)
                ok = flush();
        } else {
            ok = flush() && copyOriginal(original, piece.from, piece.length, temporary.fd());
        }
    }
    ok = ok && flush() && !original.failed();
    if (!ok) {
        result.error = whyFailed(original, kCannotWriteNewFile);
        return RenameOutcome::Failed;
    }
    if (options.sync && !sys::syncFile(temporary.fd())) {
        result.error = sys::describe(kCannotSync, errno);
        return RenameOutcome::Failed;
    }
    if (!original.unchangedSinceRead(result.error))
        return RenameOutcome::Failed;
    if (options.beforeReplace && !options.beforeReplace(temporary.fd(), result.error))
        return RenameOutcome::Failed;
    if (!temporary.replaceTarget()) {
        result.error = sys::describe(kCannotRename, errno);
        return RenameOutcome::Failed;
    }
    result = written(std::move(result), temporary.fd(), options);
    // The file is converted: a folder that cannot be flushed is a warning.
    if (options.sync && (!sys::stepAllowed(sys::Step::SyncFolder) || !original.folder().sync()))
        result.warning = sys::describe(kCannotSyncFolder, errno);
    return RenameOutcome::Done;
}

// Makes the file `to` bytes long from `from`, so that writing the new
// content cannot run out of space half-way.
bool reserve(int fd, uint64_t from, uint64_t to)
{
    if (!sys::stepAllowed(sys::Step::Reserve))
        return false;
    if (sys::allocate(fd, from, to - from))
        return true;
    if (errno != EOPNOTSUPP)
        return false;
    // Without fallocate, zeros written where the new bytes will go.
    const std::string zeros(std::min(to - from, kBlockSize), '\0');
    for (uint64_t at = from; at < to; at += zeros.size()) {
        const uint64_t length = std::min<uint64_t>(zeros.size(), to - at);
        if (sys::writeAt(fd, zeros.data(), length, static_cast<int64_t>(at)) != length)
            return false;
    }
    return true;
}

// Writes the new content over the old from the first changed byte on, in
// blocks, in the order that reads every byte of the old file before it is
// overwritten (back to front when the content moves towards the end). The
// new length is reserved first and the old bytes of each block are kept
// (or found again where they moved to) so that a failed write is undone.
CommitResult writeInPlace(OriginalFile& original, EditStream& edits, const CommitOptions& options)
{
    const std::vector<PlacedPiece> placed = place(edits.pieces());
    const uint64_t newLength = edits.contentLength();
    const uint64_t oldLength = original.size();
    uint64_t firstChange = std::min(newLength, oldLength);
    bool movesForward = false;
    uint64_t shortestMove = kBlockSize;  // towards the end
    bool movesBack = false;
    std::vector<MovedRange> moved;
    for (const PlacedPiece& p : placed) {
        if (p.piece.original)
            moved.push_back({p.piece.from, p.piece.length, p.at});
        if (p.inPlace())
            continue;
        firstChange = std::min(firstChange, p.at);
        if (p.piece.original) {
            movesForward = movesForward || p.at > p.piece.from;
            if (p.at > p.piece.from)
                shortestMove = std::min(shortestMove, p.at - p.piece.from);
            movesBack = movesBack || p.at < p.piece.from;
        }
    }
    auto fail = [](const std::string& why) { return CommitResult{false, CommitPath::InPlace, why}; };
    // Parts that move both ways are written all at once, their old bytes held.
    const bool allAtOnce = movesForward && movesBack;
    if (allAtOnce && newLength - firstChange > kMostHeld)
        return fail(kCannotWriteInPlace);
    OldBytes undo(original, allAtOnce ? std::vector<MovedRange>{} : moved);
    if (undo.heldFor(firstChange, std::min(newLength, oldLength)) > kMostHeld)
        return fail(kTooMuchToHold);

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

    // Old bytes still to move must not have become a hole: a file cut short
    // meanwhile is grown again by the blocks written behind, and its lost
    // bytes would read as zeros and move over the audio. Only where the file
    // had no hole to begin with.
    const bool hadNoHole = sys::firstHoleFrom(original.fd(), firstChange) >= oldLength;
    auto sourcesStillThere = [&](uint64_t begin, uint64_t end) {
        for (const PlacedPiece& p : placed) {
            const uint64_t pieceEnd = p.at + p.piece.length;
            if (!p.piece.original || pieceEnd <= begin || p.at >= end)
                continue;
            const uint64_t skip = begin > p.at ? begin - p.at : 0;
            const uint64_t from = p.piece.from + skip;
            if (sys::firstHoleFrom(original.fd(), from) < from + (std::min(pieceEnd, end) - p.at - skip))
                return false;
        }
        return true;
    };

    std::string why;
    if (!original.takeWriteAccess(why) || !original.unchangedSinceRead(why))
        return fail(why);
    if (newLength > oldLength && !reserve(original.fd(), oldLength, newLength)) {
        const std::string error = sys::describe(kCannotMakeRoom, errno);
        const OldBytes::Outcome back = undo.putBack(oldLength);
        return fail(back.complete ? error : afterFailedWrite(error, back));
    }
    // Back to front, no block longer than the bytes move: a write cut short
    // (a kill stops a write between two pages) has then overwritten only old
    // bytes that already stand at their new place further on, where an undo
    // finds them.
    const uint64_t blockSize = allAtOnce     ? newLength - firstChange
                               : movesForward ? std::max(kShortestBlock, shortestMove)
                                              : kBlockSize;
    const uint64_t blocks = (newLength - firstChange + blockSize - 1) / blockSize;
    try {
        for (uint64_t i = 0; i < blocks; ++i) {
            const uint64_t index = movesForward && !allAtOnce ? blocks - 1 - i : i;
            const uint64_t begin = firstChange + index * blockSize;
            const uint64_t end = std::min(newLength, begin + blockSize);
            std::string block;
            std::string old;
            if (hadNoHole && !sourcesStillThere(begin, end))
                return fail(afterFailedWrite(kChangedMeanwhile, undo.putBack(oldLength)));
            if (!assemble(begin, end, block)
                || (begin < oldLength && !original.readFresh(begin, std::min(end, oldLength) - begin, old)))
            {
                const std::string error = whyFailed(original, kCannotRead);
                return fail(afterFailedWrite(error, undo.putBack(oldLength)));
            }
            undo.aboutToWrite(begin, std::move(old));
            if (writeStep(sys::Step::WriteInPlace, original.fd(), block, static_cast<int64_t>(begin))
                != block.size()) {
                const std::string error = sys::describe(kCannotWrite, errno);
                return fail(afterFailedWrite(error, undo.putBack(oldLength)));
            }
            undo.written();
        }
    } catch (const std::bad_alloc&) {
        return fail(afterFailedWrite(kOutOfMemory, undo.putBack(oldLength)));
    }
    if (newLength < oldLength) {
        if (!sys::truncateTo(original.fd(), newLength)) {
            const std::string error = sys::describe(kCannotTruncate, errno);
            return fail(afterFailedWrite(error, undo.putBack(oldLength)));
        }
    }
    if (!lengthAsWritten(original.fd(), newLength))
        return fail(kChangedMeanwhile);
    return writtenOver(CommitPath::InPlace, original.fd(), options);
}

}  // namespace

CommitResult commitEdits(OriginalFile& original, EditStream& edits, const CommitOptions& options)
{
    if (original.failed())
        return {false, CommitPath::Unchanged, kReadError};
    if (edits.unchanged())
        return {true, CommitPath::Unchanged, {}};
    if (original.sparse())
        return {false, CommitPath::Unchanged, kSparseFile};
    // Same length: only once runs of changed bytes are found, so that a
    // journal holds only files whose bytes change. Old bytes that move
    // (a tag grown by as much as another shrank, the undo of a save cut
    // short) are read back while others are overwritten: written as a
    // longer or shorter file would be, in the order that keeps them.
    const std::vector<PlacedPiece> placed = place(edits.pieces());
    const bool moves = std::any_of(placed.begin(), placed.end(),
                                   [](const PlacedPiece& p) { return p.piece.original && !p.inPlace(); });
    if (edits.contentLength() == original.size() && !moves)
        return writeChangedRuns(original, edits, options);
    std::string refusal;
    if (options.beforeWrite && !options.beforeWrite(original, edits, refusal))
        return {false, CommitPath::Unchanged, refusal};
    if (renameKeepsAll(original)) {
        std::string why;
        if (!original.takeWriteAccess(why))
            return {false, CommitPath::Unchanged, why};
        CommitResult result{true, CommitPath::Renamed, {}};
        switch (writeAndRename(original, edits, options, result)) {
        case RenameOutcome::Done:
            return result;
        case RenameOutcome::Failed:
            result.written = false;
            return result;
        case RenameOutcome::NotPossible:
            break;
        }
    }
    return writeInPlace(original, edits, options);
}

}  // namespace tagshifter::io
