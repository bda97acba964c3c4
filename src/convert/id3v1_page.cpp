// -1 auto: the page each file's ID3v1 tag is written in, and the tag kept as
// it is when it already holds what would be written.
#include "common/error.h"
#include "convert/id3v1_bytes.h"
#include "convert/recode.h"
#include "convert/tag_converter.h"

#include <taglib/tag.h>

#include <algorithm>

namespace tagshifter {

namespace {
const char kUtf8[] = "UTF-8";
const char kTranslit[] = "//TRANSLIT";
// The bytes of text left as it is: what a field kept from a legacy frame
// held, whatever page they were written in.
const char kOwnBytes[] = "ISO-8859-1";
const size_t kLongestCharacter = 4;

bool isText(TagConverter::Setter setter)
{
    return setter != &TagLib::Tag::setGenre;  // the genre is a number in ID3v1
}

// Whether `held` is what writing `bytes` leaves in the field: longer text
// is cut at the field's room (the comment's is 28, beside a track number),
// by TagLib there, by a careful writer at the last whole character before.
bool holds(TagConverter::Setter setter, const std::string& held, const std::string& bytes)
{
    if (held == bytes)
        return true;
    const size_t room = setter == &TagLib::Tag::setComment ? 28 : 30;
    return bytes.size() > room && held.size() <= room && held.size() + kLongestCharacter > room
           && bytes.compare(0, held.size(), held) == 0;
}

// The bytes of a text field as TagLib reads them back.
std::string asReadBack(TagConverter::Setter setter, const std::string& bytes)
{
    return isText(setter) ? id3v1AsReadBack(setter == &TagLib::Tag::setComment, bytes) : bytes;
}

}  // namespace

bool TagConverter::heldInCurrentPage(std::vector<std::string>& recoded)
{
    recoded.clear();
    for (const auto& field : pendingId3v1_) {
        std::string bytes;
        try {
            bytes = recodeThrough(recoding.utf8ToId3v1.descriptor(), field.utf8, ::iconv);
        } catch (const Error&) {
            return false;
        }
        if (isText(field.setter) && !holds(field.setter, field.held, bytes))
            return false;
        recoded.push_back(isText(field.setter) ? field.held : bytes);
    }
    return true;
}

bool TagConverter::keepHeldId3v1(std::vector<std::string>& recoded)
{
    const bool anyHeld = std::any_of(pendingId3v1_.begin(), pendingId3v1_.end(), [](const PendingId3v1& field) {
        return isText(field.setter) && !field.held.empty();
    });
    if (!anyHeld)
        return false;  // no ID3v1 tag yet, or an empty one
    std::vector<std::string> pages = id3v1Pages_;
    for (const std::string& page : id3v1PagesKept_)
        if (std::find(pages.begin(), pages.end(), page) == pages.end())
            pages.push_back(page);
    pages.push_back(kOwnBytes);
    for (const std::string& page : pages)
        for (const std::string& name : {page, page + kTranslit}) {
            if (recoding.utf8ToId3v1.open(name.c_str(), kUtf8) && heldInCurrentPage(recoded)) {
                recoding.id3v1Name = name;
                return true;
            }
        }
    return false;
}

void TagConverter::finishId3v1()
{
    if (!recoding.id3v1PerFile || id3v1Pages_.empty())
        return;
    std::vector<std::string> recoded;
    if (!keepHeldId3v1(recoded)) {
        std::vector<std::string> texts;
        for (const auto& field : pendingId3v1_)
            texts.push_back(field.utf8);
        recoded = recoding.choosePage(id3v1Pages_, texts, failedWhere);
    }
    for (size_t i = 0; i < recoded.size(); ++i) {
        const PendingId3v1& field = pendingId3v1_[i];
        const std::string written = asReadBack(field.setter, recoded[i]);
        (id3v1Tag->*field.setter)(TagLib::String(written, TagLib::String::Latin1));
        if (field.change < changes.size())
            changes[field.change].id3v1 = written;
    }
    pendingId3v1_.clear();
}

}  // namespace tagshifter
