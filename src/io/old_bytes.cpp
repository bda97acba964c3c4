#include "io/old_bytes.h"

#include "sys/fd.h"
#include "sys/seam.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tagshifter::io {

OldBytes::OldBytes(OriginalFile& original, std::vector<MovedRange> moved)
    : original_(original), moved_(std::move(moved))
{
    std::sort(moved_.begin(), moved_.end(),
              [](const MovedRange& a, const MovedRange& b) { return a.from < b.from; });
}

std::vector<std::pair<uint64_t, uint64_t>> OldBytes::notMoved(uint64_t begin, uint64_t end) const
{
    std::vector<std::pair<uint64_t, uint64_t>> gaps;
    uint64_t at = begin;
    for (const MovedRange& range : moved_) {
        if (at >= end)
            break;
        if (range.from + range.length <= at)
            continue;
        if (range.from > at)
            gaps.emplace_back(at, std::min(range.from, end));
        at = std::max(at, range.from + range.length);
    }
    if (at < end)
        gaps.emplace_back(at, end);
    return gaps;
}

uint64_t OldBytes::heldFor(uint64_t begin, uint64_t end) const
{
    uint64_t total = 0;
    for (const auto& [from, to] : notMoved(begin, end))
        total += to - from;
    return total;
}

void OldBytes::aboutToWrite(uint64_t at, std::string old)
{
    Entry entry;
    entry.at = at;
    entry.length = old.size();
    for (const auto& [from, to] : notMoved(at, at + old.size()))
        entry.held.emplace_back(from, old.substr(from - at, to - from));
    entries_.push_back(std::move(entry));
    writing_ = std::move(old);
    pending_ = true;
}

void OldBytes::written()
{
    pending_ = false;
    writing_.clear();
}

bool OldBytes::rebuild(const Entry& entry, std::string& out)
{
    uint64_t at = entry.at;
    const uint64_t end = entry.at + entry.length;
    auto held = entry.held.begin();
    while (at < end) {
        if (held != entry.held.end() && held->first == at) {
            out += held->second;
            at += held->second.size();
            ++held;
            continue;
        }
        const uint64_t stop = held != entry.held.end() ? held->first : end;
        // Where the new content holds this old byte now.
        const auto range = std::find_if(moved_.begin(), moved_.end(), [at](const MovedRange& r) {
            return r.from <= at && at < r.from + r.length;
        });
        if (range == moved_.end())
            return false;
        const uint64_t take = std::min(stop, range->from + range->length) - at;
        if (!original_.readFresh(range->at + (at - range->from), take, out))
            return false;
        at += take;
    }
    return out.size() == entry.length;
}

OldBytes::Outcome OldBytes::putBack(uint64_t length)
{
    Outcome outcome;
    if (pending_) {
        entries_.back().held = {{entries_.back().at, writing_}};
        pending_ = false;
    }
    for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
        std::string bytes;
        const bool rebuilt = rebuild(*entry, bytes);
        const bool back = rebuilt && sys::stepAllowed(sys::Step::Restore)
                          && sys::writeAt(original_.fd(), bytes.data(), bytes.size(),
                                          static_cast<int64_t>(entry->at)) == bytes.size();
        if (back)
            continue;
        const uint64_t end = entry->at + entry->length;
        if (outcome.complete) {
            outcome.error = std::strerror(errno);
            outcome.firstLost = entry->at;
            outcome.endLost = end;
        }
        outcome.complete = false;
        outcome.firstLost = std::min(outcome.firstLost, entry->at);
        outcome.endLost = std::max(outcome.endLost, end);
    }
    entries_.clear();
    struct stat now {};
    if (fstat(original_.fd(), &now) == 0 && static_cast<uint64_t>(now.st_size) != length
        && !sys::truncateTo(original_.fd(), length) && outcome.complete) {
        outcome.complete = false;
        outcome.error = std::strerror(errno);
        outcome.firstLost = length;
        outcome.endLost = static_cast<uint64_t>(now.st_size);
    }
    return outcome;
}

}  // namespace tagshifter::io
