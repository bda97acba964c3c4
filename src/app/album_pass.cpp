#include "app/album_pass.h"

#include "common/error.h"
#include "common/messages.h"

#include <exception>

namespace tagshifter {

std::string folderOf(const std::string& name)
{
    const size_t slash = name.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    const size_t end = name.find_last_not_of('/', slash);
    return end == std::string::npos ? "/" : name.substr(0, end + 1);
}

void cutToJudgedParts(std::string& bytes)
{
    if (bytes.size() <= kJudgedHead + kJudgedTail)
        return;
    auto low = [&bytes](size_t at) { return static_cast<unsigned char>(bytes[at]) < 0x30; };
    size_t headEnd = kJudgedHead;  // right after a low byte
    while (headEnd > kJudgedHead / 2 && !low(headEnd - 1))
        --headEnd;
    size_t tailStart = bytes.size() - kJudgedTail;  // right after a low byte
    while (tailStart < bytes.size() - kJudgedTail / 2 && !low(tailStart - 1))
        ++tailStart;
    if (headEnd == kJudgedHead / 2 || tailStart == bytes.size() - kJudgedTail / 2)
        return;
    std::string parts;
    parts.reserve(headEnd + bytes.size() - tailStart);
    parts.append(bytes, 0, headEnd).append(bytes, tailStart, std::string::npos);
    bytes.swap(parts);
}

std::string sourceEncodingOf(const guess::Reading& reading)
{
    switch (reading.kind) {
    case guess::Reading::Kind::CodePage: return reading.codePage;
    case guess::Reading::Kind::Utf8: return "UTF-8";
    case guess::Reading::Kind::AsItIs: break;
    }
    return "ISO-8859-1";
}

AlbumPass::AlbumPass(const Settings& settings, const FileList& files, Formats& formats)
    : settings_(settings), files_(files), fileNames_(files.names), formats_(formats), folders_(files.walked),
      readings_(files.size())
{
    for (size_t i = 0; i < fileNames_.size(); ++i)
        waiting_[folderOf(fileNames_[i])].push_back(i);
}

AlbumPass::~AlbumPass() = default;

guess::Reading AlbumPass::readingOf(size_t index)
{
    if (readings_[index]) {
        if (const auto unread = unread_.find(index); unread != unread_.end())
            throw Error(Error::Kind::Other, messages::kCannotReadTextsToJudge + unread->second);
        return *readings_[index];
    }
    if (!judge_)
        judge_ = std::make_unique<guess::AlbumJudge>(guess::CandidateList::parse(*settings_.source));

    // The folder waits until it is judged: what throws is thrown again
    // when the reading is asked for once more.
    const auto folder = waiting_.find(folderOf(fileNames_[index]));
    const std::vector<size_t>& members = folder->second;
    std::vector<guess::FileTexts> texts;
    texts.reserve(members.size());
    for (size_t member : members)
        texts.push_back(readTexts(member));
    const std::vector<guess::Reading> judged = judge_->judge(texts);
    for (size_t m = 0; m < members.size(); ++m)
        readings_[members[m]] = judged[m];
    waiting_.erase(folder);
    return readingOf(index);
}

void AlbumPass::judgeAhead(size_t index)
{
    if (readings_[index])
        return;
    try {
        readingOf(index);
    } catch (const std::exception&) {
        // Thrown again in the file's turn, where it is reported.
    }
}

guess::FileTexts AlbumPass::readTexts(size_t index)
{
    const std::string& name = fileNames_[index];
    // Every file is opened as the conversion opens it: nothing but a regular
    // file, and no link another user planted followed.
    std::string whyNotOpen;
    guess::FileTexts texts = formats_.of(name).textsToJudge(name, folders_, files_.folderOf(index),
                                                           settings_.allFrames && settings_.id3v2.isWritten(),
                                                           settings_.preserveUnicode, whyNotOpen);
    if (!whyNotOpen.empty())
        unread_[index] = whyNotOpen;
    for (LabelledText& text : texts) {
        cutToJudgedParts(text.bytes);
        for (auto& other : text.otherReaders)
            cutToJudgedParts(other.second);
    }
    return texts;
}

}  // namespace tagshifter
