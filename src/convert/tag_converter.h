// The per-file converter: one file's texts recoded onto the two tags they
// are written to, and kept for the report and the preview.
#pragma once

#include "convert/preview.h"
#include "convert/recoding.h"
#include "convert/text_change.h"
#include "text/misreading.h"

#include <taglib/tstring.h>

#include <string>
#include <utility>
#include <vector>

namespace TagLib {
class Tag;
namespace ID3v2 {
class Frame;
}
}  // namespace TagLib

namespace tagshifter {

struct FrameText;
struct TagField;

class TagConverter {
public:
    // One of the five setters of TagLib::Tag (setTitle, setArtist, ...).
    using Setter = void (TagLib::Tag::*)(const TagLib::String&);

    // Opens the conversions (see Recoding), which may throw.
    TagConverter(const SourceEncoding& source, const TargetEncoding& id3v1,
                 const TargetEncoding& id3v2, TagLib::Tag* id3v1Tag,
                 TagLib::Tag* id3v2Tag, bool preserveUnicode);
    TagConverter(const TagConverter&) = delete;
    TagConverter& operator=(const TagConverter&) = delete;

    // What the guess decided for this file beyond its reading.
    struct SourcePlan {
        bool keepAll = false;                 // every text as it is
        std::vector<std::string> keptAsItIs;  // fields and frames (by label) kept as they are
        // Fields and frames (by label) with the reader their bytes come through.
        std::vector<std::pair<std::string, Reader>> readers;
    };
    void setSourcePlan(SourcePlan plan) { plan_ = std::move(plan); }

    // For -1 auto: the code pages to try for this file's ID3v1 tag, in
    // order; the first that holds every field whole is written, else the
    // first with transliteration.
    void setId3v1Pages(std::vector<std::string> pages) { id3v1Pages_ = std::move(pages); }
    // For -1 auto: the further pages in which an ID3v1 tag the file already
    // has is kept as it is, when it holds there what would be written.
    void setId3v1PagesKept(std::vector<std::string> pages) { id3v1PagesKept_ = std::move(pages); }
    // With -1 auto, sets the ID3v1 fields once all five were converted.
    void finishId3v1();

    // Makes the UTF-8 text of one field and sets it, recoded for each enabled
    // target, on the ID3v1 tag and then on the ID3v2 tag (where an empty
    // field that stays empty is not set). A text that cannot be converted
    // throws an Error that names the field and the conversion.
    void convertField(const TagLib::String& value, Setter setter) { convertField(TagLib::String(value), setter); }
    // The same; a large text (see packLargeTexts) is let go, `value` emptied,
    // once its bytes are taken.
    void convertField(TagLib::String&& value, Setter setter);
    // The same for a text given as its Latin-1 bytes, read from them as the
    // text's TagLib string would be (the guess's plan too), without making
    // that string but under -p's rule or from a Unicode source.
    void convertLatin1Field(std::string&& bytes, Setter setter);

    // With an ID3v2 target: recodes, under the same rules, the text and
    // description of every other text frame, TXXX, COMM and USLT of the
    // ID3v2 tag, and stores them in the encoding of the target written as
    // ID3v2.`id3v2Version` (see id3v2TextEncoding). Done before the five
    // fields are set, from values read before, so no text is recoded twice.
    // The preview then lists these frames too.
    void convertOtherFrames(int id3v2Version);

    // The preview of both target tags (see previewLines); the lines kept
    // aside (see keepLargeTextsAside) are handed over.
    std::vector<std::string> preview(const std::string& fileName);

    // ID3v1 texts longer than the tag writes are set cut to what it
    // writes (not for the preview, which shows them whole).
    void cutId3v1ToRoom() { id3v1CutToRoom_ = true; }

    // Texts of title, artist, album and comment too large to hold twice are
    // set on their ID3v2 frames as the bytes the frames write as
    // ID3v2.`id3v2Version`, the old text let go before the new one is made
    // (not for the preview, which reads the tag's texts; the report keeps
    // its own).
    void packLargeTexts(int id3v2Version) { packVersion_ = id3v2Version; }

    // For the preview: a large converted title, artist, album or comment is
    // kept as the line the preview shows, not set whole on the tags (at 4
    // bytes a character); they hold what is written of it, or a stand-in.
    void keepLargeTextsAside() { asideForPreview_ = true; }

    // From now on, each text converted is kept for textChanges(), in order.
    void recordTextChanges() { recording = true; }
    const std::vector<TextChange>& textChanges() const { return changes; }
    // The texts kept so far, handed over: a large one is not copied.
    std::vector<TextChange> takeTextChanges() { return std::exchange(changes, {}); }
    // Makes again each `after` let go while the file was saved: once the
    // file is closed, so that the report's texts are not held beside it.
    void remakeTextsLetGo(std::vector<TextChange>& taken);

    bool isId3v1Enabled() const { return recoding.id3v1Enabled; }
    // The page of the ID3v1 target; with -1 auto the one chosen, once set.
    TargetEncoding id3v1Target() const { return {TargetEncoding::Kind::CodePage, recoding.id3v1Name}; }
    bool isId3v2Enabled() const { return recoding.id3v2Enabled; }
    bool isSourceUnicode() const { return recoding.sourceIsUnicode; }
    bool isId3v2Unicode() const { return recoding.id3v2IsUnicode; }
    const Conversion& sourceConversion() const { return recoding.sourceToUtf8; }
    const Conversion& id3v1Conversion() const { return recoding.utf8ToId3v1; }
    const Conversion& id3v2Conversion() const { return recoding.utf8ToId3v2; }

private:
    using Step = Recoding::Step;

    // The bytes a text is converted from, and whether they go through the
    // source step (or are UTF-8 as they are).
    struct SourceText {
        std::string bytes;
        bool recoded = true;
    };
    SourceText sourceText(const TagLib::String& value, const std::string& label);
    SourceText latin1SourceText(std::string bytes, const std::string& label) const;
    std::string utf8Text(const TagLib::String& value, const std::string& label);
    bool isPlanned(const std::string& label) const;
    // The large-text way of convertField (see packLargeTexts).
    bool isLarge(const TagLib::String& value, Setter setter) const;
    std::string releasedUtf8Text(TagLib::String& value, const std::string& label, Setter setter, TextChange& change);
    void setPacked(TextChange& change, const char* frameId, Setter setter);
    // The preview's way of setOnTargets for a large text (see keepLargeTextsAside).
    bool isAside(const TextChange& change, Setter setter) const;
    void setAside(TextChange& change, const TagField& field, Setter setter);
    // Sets the converted text of one field on the enabled targets.
    void setOnTargets(TextChange& change, const TagField& field, Setter setter, bool large);
    std::string recodeStep(Step step, const std::string& input) { return recoding.recode(step, input, failedWhere); }
    // Sets change.id3v2 from change.after; returns the text for the tag.
    TagLib::String id3v2Text(TextChange& change);
    // -a: a frame's one text too large to hold twice, set as packLargeTexts
    // sets a field's.
    bool isLargeFrameText(const FrameText& text) const;
    void convertLargeFrameText(TagLib::ID3v2::Frame& frame, FrameText& text, FrameText& converted,
                               const std::string& label, TagLib::String::Type encoding);
    // A text of a frame, or its description; recorded as of `listedAs`
    // unless that is null.
    // `label` names the frame in the guess's plan.
    TagLib::String convertFrameText(const TagLib::String& value, const std::string& label,
                                    const FrameText* listedAs, bool isDescription);
    // -1 auto: fills `recoded` from the ID3v1 tag as it is when some page
    // holds there what would be written; false when none does.
    bool keepHeldId3v1(std::vector<std::string>& recoded);
    bool heldInCurrentPage(std::vector<std::string>& recoded);

    Recoding recoding;
    TagLib::Tag* id3v1Tag = nullptr;
    TagLib::Tag* id3v2Tag = nullptr;
    bool preserveUnicode = false;
    bool otherFramesConverted = false;
    std::string failedWhere;  // the field or frame being converted, for an error
    bool recording = false;
    bool id3v1CutToRoom_ = false;
    int packVersion_ = 0;  // 0: texts are set as TagLib strings
    bool asideForPreview_ = false;
    ShownFields id3v1Aside_, id3v2Aside_;
    static constexpr size_t kId3v1Room = 30;
    static constexpr unsigned int kLargeText = 1 << 18;  // characters, see packLargeTexts
    std::vector<TextChange> changes;
    SourcePlan plan_;
    std::vector<std::string> id3v1Pages_;
    std::vector<std::string> id3v1PagesKept_;
    struct PendingId3v1 {  // -1 auto: a field waiting for the file's page
        Setter setter;
        std::string utf8;
        size_t change;  // its place in `changes`, or SIZE_MAX when not recorded
        std::string held;  // the bytes the ID3v1 tag holds for it now
    };
    std::vector<PendingId3v1> pendingId3v1_;
};

}  // namespace tagshifter
