// MP3 files, with an ID3v1 tag as the legacy tag and ID3v2 as the main one.
#pragma once

#include "convert/frame_factory.h"
#include "format/tagged_file.h"
#include "text/encoding_choice.h"

namespace TagLib::MPEG {
class File;
}

namespace tagshifter::mp3 {

// Names the -r walk takes: ending in .mp3, in any case.
bool takesName(const std::string& name);

// Removes the tag types outside `tagMask` and saves the file with the tags in
// it, ID3v2 as version 2.4 or 2.3 (`id3v2Version` 4 or 3), to the staged
// copy. Returns what the save returned.
bool stripAndSave(TagLib::MPEG::File& file, int tagMask, int id3v2Version);

class Mp3Format : public format::Format {
public:
    // `mainTarget` (-2) written as ID3v2.`id3v2Version`. `shortened`: no
    // ID3v2 tag is written from what is read (it is removed, or only shown)
    // and no frame but the fields' is shown whole: large frames need not be
    // read whole.
    Mp3Format(const TargetEncoding& mainTarget, int id3v2Version, bool shortened = false);

    std::unique_ptr<format::TaggedFile> open(const std::string& name, sys::FolderCache& folders,
                                             int64_t walked) override;
    std::vector<LabelledText> textsToJudge(const std::string& name, sys::FolderCache& folders, int64_t walked,
                                           bool allFrames, bool preserveUnicode, std::string& whyNotOpen) override;

private:
    FrameFactory factory_;
    FrameFactory asSaved_;  // for the guess: frames keep the encoding they were saved in
    bool shortened_;
};

}  // namespace tagshifter::mp3
