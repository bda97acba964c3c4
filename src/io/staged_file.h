// An MP3 file opened for a staged save: TagLib parses and saves it on a
// stream that records the edits; commit() checks the new tag against the old
// and writes the result to disk.
#pragma once

#include "io/commit.h"
#include "io/edit_stream.h"
#include "io/original_file.h"

#include <taglib/mpegfile.h>

#include <memory>
#include <string>

namespace TagLib::ID3v2 {
class FrameFactory;
}

namespace tagshifter::io {

struct CommitRequest {
    bool id3v2Written = true;  // false: the ID3v2 tag goes on purpose
    int id3v2Version = 4;      // the version the tag is written in
    CommitOptions options;
};

class StagedFile {
public:
    // Opens `name` without reading the audio properties, which the tool
    // never uses. isOpen() is false when the file cannot be read. `walked`:
    // as OriginalFile takes it.
    StagedFile(const std::string& name, TagLib::ID3v2::FrameFactory* factory,
               uint64_t wholeReadLimit = kWholeReadLimit, sys::FolderCache* folders = nullptr,
               int64_t walked = sys::FolderCache::kByName);
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    bool isOpen() const { return file_ && file_->isOpen(); }
    // Why not, where the file itself refused to open.
    const std::string& whyNotOpen() const { return original_.whyNotOpen(); }
    TagLib::MPEG::File& file() { return *file_; }

    // Refuses when the new ID3v2 tag would lose a frame of the old one,
    // and otherwise writes what the save changed.
    CommitResult commit(const CommitRequest& request);

    const OriginalFile& original() const { return original_; }

private:
    OriginalFile original_;
    EditStream stream_;
    std::unique_ptr<TagLib::MPEG::File> file_;
};

}  // namespace tagshifter::io
