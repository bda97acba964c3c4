// Choosing the reading of each file of one album: a code page, UTF-8 or as it is.
#pragma once

#include "guess/candidate_list.h"
#include "guess/charset_detector.h"
#include "guess/reading.h"
#include "text/labelled_text.h"
#include "text/script.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tagshifter::guess {

// The texts of one file to judge, labelled, as the bytes behind them (see
// sourceTexts). Fields that are Unicode already are left out.
using FileTexts = std::vector<LabelledText>;

// Judges album after album against one candidate list. Open it once per run:
// it holds the conversions of every candidate and a uchardet instance.
//
// For each album the text of all files is pooled: uchardet proposes a
// charset, mapped onto the candidate list, and every reading (each
// candidate, UTF-8, and the text as it is) gets a penalty for how unlike
// real text its decoded album looks. A reading replaces the text as it is
// only when it is valid for the bytes and clearly less implausible;
// uchardet's proposal wins ties among readings. A file whose own text
// clearly disagrees with the album's choice (the choice is invalid for it,
// or another reading is far more plausible for it alone) is judged alone.
// A file with nothing but ASCII in its texts is always left as it is.
class AlbumJudge {
public:
    explicit AlbumJudge(const CandidateList& candidates);
    ~AlbumJudge();
    AlbumJudge(const AlbumJudge&) = delete;
    AlbumJudge& operator=(const AlbumJudge&) = delete;

    // One reading per file, in the order given.
    std::vector<Reading> judge(const std::vector<FileTexts>& files);

    // What uchardet answered for the last album judged ("" if nothing was asked).
    const std::string& lastDetected() const { return lastDetected_; }

private:
    struct Decoding;
    struct Verdict {
        std::vector<Reading> readings;
        double penalty = 0;  // of the readings chosen, summed over the files
    };

    // judge() with the texts as given; `misreadShown` when some text reads
    // through nothing plainer than a reader that only misreading explains.
    // `albumEvidence`: how much more plausible the Latin-1-looking fields of
    // Unicode frames must read, all together, before they are re-read.
    // `unproven`: the reader the texts were read through that no text shows
    // misread; a Unicode frame's text it turns into bytes needs evidence of
    // its own before it is re-read.
    Verdict judgeAs(const std::vector<FileTexts>& files, bool misreadShown, double albumEvidence,
                    std::optional<Reader> unproven);

    // Appends `text` under reading `reading` (0: as it is) to `out`; false
    // when the reading cannot decode it.
    bool append(const LabelledText& text, size_t reading, std::u32string& out) const;

    // The Korean reading of the list that reads `texts` as everyday Hangul
    // where `choice`, a Chinese or Japanese page, makes rarer Han of them
    // (`row`: the file's penalties); else `choice`.
    size_t koreanIfCommon(const FileTexts& texts, const std::vector<double>& row, size_t choice) const;

    // Lowers each Latin page's penalty in `row` to the penalty of its text
    // in the languages of any other Latin page, listed or not, that reads the
    // file's judged texts (`skipComments`: all but its comments) into the
    // same text, `decoded` holding the text of each reading.
    void lendLatinLanguages(const FileTexts& texts, bool skipComments, const std::vector<std::u32string>& decoded,
                            std::vector<double>& row) const;

    // One text's penalty under reading `reading` (0: as it is).
    double textPenalty(const LabelledText& text, size_t reading, std::u32string& buffer) const;

    std::vector<std::string> codePages_;
    std::vector<std::unique_ptr<Decoding>> decodings_;  // one per reading, as-is first
    std::vector<Reading> readings_;
    std::vector<size_t> ranks_;  // of each reading, for ties: its page's place in the built-in list
    std::vector<Script> scripts_;  // of each reading's page (None: as it is, UTF-8)
    std::vector<std::unique_ptr<Decoding>> outside_;  // built-in pages the list does not name
    std::vector<std::string> outsidePages_;           // their names

    // Whether a built-in page outside the list reads the first files of the
    // album clearly better than the list's choice, whose penalty on them is `chosen`.
    bool pageOutsideListReadsBetter(const std::vector<FileTexts>& files, const std::vector<size_t>& judged,
                                    double chosen) const;
    CharsetDetector detector_;
    std::string lastDetected_;
};

}  // namespace tagshifter::guess
