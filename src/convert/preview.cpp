#include "convert/preview.h"

#include "common/format.h"
#include "common/messages.h"
#include "convert/frame_text.h"
#include "convert/source_texts.h"
#include "text/fields.h"

#include <taglib/id3v2tag.h>
#include <taglib/tag.h>
#include <taglib/tstring.h>

namespace tagshifter {

namespace {

// The raw bytes the tag holds: code page bytes for a code page target,
// UTF-8 for a Unicode one. Nothing is converted for the terminal.
void addFields(std::vector<std::string>& lines, const TagLib::Tag& tag, bool unicode, ShownFields& shown)
{
    for (size_t i = 0; i < kTagFields.size(); ++i) {
        const TagField& field = kTagFields[i];
        lines.push_back(shown[i] ? std::move(*shown[i])
                                 : formatted(field.previewLine, (tag.*field.get)().to8Bit(unicode).c_str()));
    }
}

// Control characters as escapes (\n, \t, \x1b...), so that a line break in
// a lyrics frame cannot break the listing's one line a frame.
std::string oneLine(const std::string& text)
{
    std::string shown;
    for (unsigned char c : text) {
        if (c >= 0x20 && c != 0x7f)
            shown += static_cast<char>(c);
        else if (c == '\n')
            shown += "\\n";
        else if (c == '\r')
            shown += "\\r";
        else if (c == '\t')
            shown += "\\t";
        else
            shown += formatted("\\x%02x", c);
    }
    return shown;
}

void addOtherFrames(std::vector<std::string>& lines, const TagLib::Tag& id3v2, bool unicode)
{
    const auto* tag = dynamic_cast<const TagLib::ID3v2::Tag*>(&id3v2);
    if (!tag)
        return;
    for (const TagLib::ID3v2::Frame* frame : tag->frameList()) {
        const std::optional<FrameText> text = frameText(*frame);
        if (!text || isFiveFieldFrame(text->id, text->description))
            continue;
        const std::string value = oneLine(text->texts.toString().to8Bit(unicode));
        if (text->description.isEmpty())
            lines.push_back(formatted(messages::kPreviewFrame, text->id.c_str(), value.c_str()));
        else
            lines.push_back(formatted(messages::kPreviewFrameWithDescription, text->id.c_str(),
                                      oneLine(text->description.to8Bit(unicode)).c_str(),
                                      value.c_str()));
    }
}

std::string line(const char* text)
{
    return std::string(text) + "\n";
}

}  // namespace

ShownLine::ShownLine(const TagField& field)
{
    const std::string format = field.previewLine;
    const size_t text = format.find("%s");
    head = format.substr(0, text);
    tail = format.substr(text + 2);
}

void ShownLine::end(std::string& line) const
{
    const size_t zero = line.find('\0', head.size());
    if (zero != std::string::npos)
        line.resize(zero);
    line += tail;
}

std::vector<std::string> previewLines(const std::string& fileName, const TagLib::Tag* id3v1,
                                      const TagLib::Tag* id3v2, bool id3v2Unicode, bool otherFrames,
                                      ShownFields id3v1Shown, ShownFields id3v2Shown)
{
    std::vector<std::string> lines{fileName + "\n", line(messages::kPreviewId3v1Header)};
    if (id3v1)
        addFields(lines, *id3v1, false, id3v1Shown);
    else
        lines.push_back(line(messages::kPreviewEmpty));
    lines.push_back(line(messages::kPreviewId3v2Header));
    if (id3v2) {
        addFields(lines, *id3v2, id3v2Unicode, id3v2Shown);
        if (otherFrames)
            addOtherFrames(lines, *id3v2, id3v2Unicode);
    } else
        lines.push_back(line(messages::kPreviewEmpty));
    return lines;
}

}  // namespace tagshifter
