#include "app/output/json_output.h"

#include "common/messages.h"
#include "sys/process.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <algorithm>
#include <functional>
#include <iterator>

namespace tagshifter {

namespace {

// Members in the order they are set: the path first, for a reader.
using json = nlohmann::ordered_json;

const char* outcomeName(Outcome outcome)
{
    static_assert(std::size(messages::kJsonOutcomes) == static_cast<size_t>(Outcome::Restored) + 1);
    return messages::kJsonOutcomes[static_cast<size_t>(outcome)];
}

const char* kindName(Error::Kind kind)
{
    static_assert(std::size(messages::kJsonErrorKinds) == static_cast<size_t>(Error::Kind::Other) + 1);
    return messages::kJsonErrorKinds[static_cast<size_t>(kind)];
}

std::string hex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char c : bytes) {
        text += digits[c >> 4];
        text += digits[c & 15];
    }
    return text;
}

std::string line(const json& object, bool ended = true)
{
    return object.dump(-1, ' ', false, json::error_handler_t::replace) + (ended ? "\n" : "");
}

// Sets `key` to `bytes` when they are UTF-8; otherwise to the text with
// each byte that is not as U+FFFD, and `key`_hex to the bytes themselves.
void putText(json& object, const std::string& key, const std::string& bytes)
{
    try {
        json(bytes).dump();
        object[key] = bytes;
    } catch (const json::type_error&) {
        object[key] = json::parse(json(bytes).dump(-1, ' ', false, json::error_handler_t::replace));
        object[key + "_hex"] = hex(bytes);
    }
}

// A large text goes out a piece at a time, each cut before a byte that
// no UTF-8 sequence holds inside it (under 0x80 or over 0xbf): the pieces'
// dumps, quotes taken off, make the dump of the whole, with the bytes that
// are not UTF-8 replaced as they would be in it.
constexpr size_t kPiece = size_t(1) << 16;

size_t pieceEnd(const std::string& bytes, size_t at)
{
    if (bytes.size() - at <= kPiece)
        return bytes.size();
    size_t end = at + kPiece;
    while (end < bytes.size() && (static_cast<unsigned char>(bytes[end]) & 0xc0) == 0x80)
        ++end;
    return end;
}

void appendLatin1(std::string& utf8, unsigned char c)
{
    if (c < 0x80) {
        utf8 += static_cast<char>(c);
    } else {
        utf8 += static_cast<char>(0xc0 | (c >> 6));
        utf8 += static_cast<char>(0x80 | (c & 0x3f));
    }
}

// Whether Latin-1 `bytes` read as `utf8` does, without widening them whole.
bool latin1Equals(const std::string& bytes, const std::string& utf8)
{
    size_t at = 0;
    char wide[2];
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        const size_t length = byte < 0x80 ? 1 : 2;
        wide[0] = static_cast<char>(length == 1 ? byte : 0xc0 | (byte >> 6));
        wide[1] = static_cast<char>(0x80 | (byte & 0x3f));
        if (utf8.size() - at < length || utf8.compare(at, length, wide, length) != 0)
            return false;
        at += length;
    }
    return at == utf8.size();
}

using Part = std::function<void(const std::string&)>;

// The members of one object, written as its dump would read them, a part
// at a time: a text of any size is never copied whole.
class Members {
public:
    explicit Members(const Part& part) : part_(part) { part_("{"); }
    void close() { part_("}"); }

    void value(const std::string& key, const json& value)
    {
        name(key);
        part_(line(value, false));
    }

    // As putText: `key`, and where the bytes are not UTF-8 `key`_hex.
    void text(const std::string& key, const std::string& bytes)
    {
        name(key);
        part_("\"");
        bool utf8 = true;
        for (size_t at = 0; at < bytes.size();) {
            const size_t end = pieceEnd(bytes, at);
            const json piece(bytes.substr(at, end - at));
            std::string dumped;
            try {
                dumped = piece.dump();
            } catch (const json::type_error&) {
                utf8 = false;
                dumped = line(piece, false);
            }
            part_(dumped.substr(1, dumped.size() - 2));
            at = end;
        }
        part_("\"");
        if (!utf8)
            hexText(key + "_hex", bytes);
    }

    // Latin-1 bytes, each a character: always UTF-8 once widened, a piece
    // at a time.
    void latin1Text(const std::string& key, const std::string& bytes)
    {
        name(key);
        part_("\"");
        std::string utf8;
        for (size_t at = 0; at < bytes.size(); at += kPiece) {
            utf8.clear();
            for (const char c : bytes.substr(at, kPiece))
                appendLatin1(utf8, static_cast<unsigned char>(c));
            const std::string dumped = json(utf8).dump();
            part_(dumped.substr(1, dumped.size() - 2));
        }
        part_("\"");
    }

    void hexText(const std::string& key, const std::string& bytes)
    {
        name(key);
        part_("\"");
        for (size_t at = 0; at < bytes.size(); at += kPiece)
            part_(hex(bytes.substr(at, kPiece)));
        part_("\"");
    }

private:
    void name(const std::string& key)
    {
        part_(std::string(first_ ? "" : ",") + json(key).dump() + ":");
        first_ = false;
    }

    const Part& part_;
    bool first_ = true;
};

// One text as textChange made it, each member written as it comes.
void writeTextChange(const Part& part, const TextChange& change, const FileResult& result)
{
    Members object(part);
    object.text(change.isFrame ? "frame" : "field", change.field);
    if (!change.description.empty() || change.isDescription)
        object.text("description", change.description);
    if (change.isDescription)
        object.value("part", "description");
    if (change.beforeIsLatin1)
        object.latin1Text("before", change.before);
    else
        object.text("before", change.before);
    object.text("after", change.after);
    object.value("changed", change.beforeIsLatin1 ? !latin1Equals(change.before, change.after)
                                                  : change.before != change.after);
    // The bytes a code page target holds are not UTF-8 text.
    if (change.id3v1)
        object.hexText("id3v1_hex", *change.id3v1);
    if (change.id3v2 && result.id3v2Target.kind != TargetEncoding::Kind::Unicode)
        object.hexText("id3v2_hex", *change.id3v2);
    object.close();
}

json errorObject(const Error& error)
{
    json object{{"kind", kindName(error.kind)}};
    // The fixed messages end in the newline of their text line; a JSON
    // string is the message alone.
    std::string message = error.what();
    if (!message.empty() && message.back() == '\n')
        message.pop_back();
    putText(object, "message", message);
    if (!error.where.empty())
        putText(object, "where", error.where);
    if (!error.conversion.empty())
        putText(object, "conversion", error.conversion);
    if (!error.reason.empty())
        putText(object, "reason", error.reason);
    return object;
}


}  // namespace

void JsonOutput::show(const FileResult& result)
{
    json object;
    putText(object, "path", result.path);
    object["outcome"] = outcomeName(result.outcome);
    if (!result.reading.empty())
        object["reading"] = result.reading;
    if (result.readingMargin)
        object["reading_margin"] = std::round(*result.readingMargin * 100) / 100;
    if (!result.judgedFields.empty()) {
        json fields = json::array();
        for (const auto& field : result.judgedFields) {
            json entry;
            putText(entry, "label", field.label);
            entry["reading"] = field.reading;
            if (field.margin)
                entry["margin"] = std::round(*field.margin * 100) / 100;
            fields.push_back(entry);
        }
        object["judged_fields"] = fields;
    }
    if (!result.texts.empty()) {
        json tags = json::object();
        if (result.id3v1Target.isWritten())
            tags["id3v1"] = result.id3v1Target.name();
        if (result.id3v2Target.isWritten()) {
            tags["id3v2"] = result.id3v2Target.name();
            tags["id3v2_version"] = result.id3v2Version;
        }
        object["tags"] = tags;
    }
    // The texts, which may be large, go out as they are written.
    std::string head = line(object, false);
    head.pop_back();  // the closing brace, which comes after them
    startLine();
    const Part part = [this](const std::string& text) { printPart(text); };
    part(head);
    if (!result.texts.empty()) {
        part(",\"texts\":[");
        bool first = true;
        for (const TextChange& change : result.texts) {
            if (change.before.empty() && change.after.empty())
                continue;  // an empty field: nothing to say
            part(first ? "" : ",");
            first = false;
            writeTextChange(part, change, result);
        }
        part("]");
    }
    if (result.error)
        part(",\"error\":" + line(errorObject(*result.error), false));
    part("}\n");
    endLine();
}

void JsonOutput::showUnreadable(const std::string& folder, const std::string& why)
{
    json object;
    putText(object, "folder", folder);
    object["outcome"] = outcomeName(Outcome::Failed);
    json error{{"kind", kindName(Error::Kind::Other)}, {"message", messages::kCannotReadFolder}};
    putText(error, "reason", why);
    object["error"] = error;
    print(line(object));
}

void JsonOutput::journal(const JournalListing& listing)
{
    json object;
    putText(object, "journal", listing.name);
    object["started"] = sys::utcText(listing.started, messages::kJsonJournalTime);
    putText(object, "folder", listing.folder);
    object["files"] = listing.files;
    object["bytes"] = listing.bytes;
    object["undo"] = listing.undo;
    object["next"] = listing.next;
    print(line(object));
}

void JsonOutput::close(const Counts& counts, const Error* fatal)
{
    json summary = counts.undo ? json{{"files", counts.files},
                                      {"restored", counts.restored},
                                      {"unchanged", counts.unchanged},
                                      {"previewed", counts.previewed},
                                      {"failed", counts.failed}}
                               : json{{"files", counts.files},
                                      {"converted", counts.converted},
                                      {"unchanged", counts.unchanged},
                                      {"previewed", counts.previewed},
                                      {"skipped", counts.skipped},
                                      {"failed", counts.failed},
                                      {"refused", counts.refused},
                                      {"not_reached", counts.files - std::min(counts.files, counts.shown())}};
    json object{{"summary", std::move(summary)}};
    if (fatal)
        object["error"] = errorObject(*fatal);
    print(line(object));
}

}  // namespace tagshifter
