// The conversions one file's texts go through: from the source to UTF-8,
// and from UTF-8 to each target tag's encoding.
#pragma once

#include "text/conversion.h"
#include "text/encoding_choice.h"

#include <string>
#include <vector>

namespace tagshifter {

class Recoding {
public:
    enum class Step { Source, Id3v1, Id3v2 };

    // Opens source -> UTF-8, UTF-8 -> ID3v1 target and UTF-8 -> ID3v2 target,
    // in that order. Unicode means UTF-8 (refused for ID3v1); a target of None
    // is not written, one of PerFile (-1 auto) waits for choosePage. Throws a
    // constant message for the first unusable name (an Error of its kind);
    // conversions opened before it are closed again.
    Recoding(const SourceEncoding& source, const TargetEncoding& id3v1, const TargetEncoding& id3v2);

    // `input` through the conversion of `step`. A text that cannot be
    // converted throws an Error naming the conversion and `where`.
    std::string recode(Step step, const std::string& input, const std::string& where);
    // The same for `size` bytes at `input`, the result begun with `head`
    // and with room for `tailRoom` bytes more (see recodeThrough).
    std::string recode(Step step, const char* input, size_t size, const std::string& where, std::string head,
                       size_t tailRoom);

    // -1 auto: opens for ID3v1 the first of `pages` that holds each of
    // `texts` whole, else the first with transliteration, and returns the
    // texts recoded (`where` names them should even that fail). Only pages
    // of the texts' main script are tried when `pages` has any.
    std::vector<std::string> choosePage(const std::vector<std::string>& pages,
                                        const std::vector<std::string>& texts, const std::string& where);

    bool id3v1Enabled = false;
    bool id3v1PerFile = false;  // -1 auto: the page is chosen per file
    bool id3v2Enabled = false;
    bool sourceIsUnicode = false;
    bool id3v2IsUnicode = false;
    std::string id3v1Name;  // as given, or with -1 auto the page chosen
    Conversion sourceToUtf8;
    Conversion utf8ToId3v1;
    Conversion utf8ToId3v2;

private:
    std::string sourceName, id3v2Name;  // as given, for messages
};

}  // namespace tagshifter
