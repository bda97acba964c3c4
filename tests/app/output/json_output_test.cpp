// --json: one object a file with its outcome, texts before and after and
// the reason of a failure, then a summary; every line parses as UTF-8 JSON.
#include "support/fixtures.h"
#include "support/id3_reader.h"
#include "support/state_home.h"
#include "support/tag_layouts.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace tagshifter::test {
namespace {

using nlohmann::json;

// Each line of a run's standard output, parsed; the parser refuses text
// that is not UTF-8.
std::vector<json> linesOf(const std::string& out)
{
    std::vector<json> lines;
    std::istringstream stream(out);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(json::parse(line));
    return lines;
}

std::string hexOf(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

std::string legacy()
{
    return id3v23Tag(textFrame("TIT2", kPrivetCp1251) + textFrame("TPE2", kPrivetCp1251 + "\n2"))
           + mpegFrames(8);
}

TEST(JsonOutput, EachOutcomeIsOneParsableObjectAndTheSummaryCountsThem)
{
    TempDir dir;
    const std::string song = dir.put("song.mp3", legacy());
    const std::string odd = dir.put("odd\xff.mp3", legacy());  // a name that is not UTF-8
    const std::string empty = dir.put("empty.mp3", mpegFrames(8));
    const std::string missing = dir.file("missing.mp3");
    const std::vector<TagLayout> layouts = tagLayouts();
    const auto footer = std::find_if(layouts.begin(), layouts.end(),
                                     [](const TagLayout& l) { return l.name == "Id3v24Footer"; });
    const std::string guarded = dir.put("guarded.mp3", footer->bytes);

    const RunResult run = runInProcess({"--json", "-k", "-a", "-s", "cp1251", "-1", "cp1251", "-2", "unicode",
                                        song, song, odd, empty, missing, guarded});
    const RunResult preview = runInProcess({"--json", "-w", "-s", "auto", "-2", "cp1251", song});
    std::vector<json> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 7u) << run.out;
    const std::vector<json> previewLines = linesOf(preview.out);
    ASSERT_EQ(previewLines.size(), 2u) << preview.out;

    // The frame guard refuses only where this TagLib would lose the frame.
    const std::string guardOutcome = lines[5]["outcome"];
    EXPECT_TRUE(guardOutcome == "refused" || guardOutcome == "converted") << guardOutcome;
    const struct {
        const json& line;
        const char* outcome;
        const char* errorKind;  // "" for none
    } cases[] = {
        {lines[0], "converted", ""},
        {lines[1], "unchanged", ""},  // the same file again: nothing left to change
        {lines[2], "converted", ""},
        {lines[3], "skipped", ""},
        {lines[4], "failed", "cannot-open-file"},
        {lines[5], guardOutcome.c_str(), guardOutcome == "refused" ? "refused" : ""},
        {previewLines[0], "previewed", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line.dump());
        EXPECT_EQ(c.line["outcome"], c.outcome);
        EXPECT_EQ(c.line.contains("error") ? c.line["error"]["kind"].get<std::string>() : "", c.errorKind);
    }

    const json& title = lines[0]["texts"][1];  // -a: the other frame first
    EXPECT_EQ(title["field"], "title");
    EXPECT_EQ(title["before"], "\xC3\x8F\xC3\xB0\xC3\xA8\xC3\xA2\xC3\xA5\xC3\xB2");  // the bytes read as Latin-1
    EXPECT_EQ(title["after"], kPrivetUtf8);
    EXPECT_EQ(title["id3v1_hex"], "cff0e8e2e5f2");
    EXPECT_FALSE(title.contains("id3v2_hex"));
    EXPECT_EQ(lines[0]["texts"][0]["frame"], "TPE2");
    EXPECT_EQ(lines[0]["tags"], json::parse(R"({"id3v1":"cp1251","id3v2":"unicode","id3v2_version":4})"));
    EXPECT_EQ(lines[2]["path"], dir.path() + "/odd\xEF\xBF\xBD.mp3");
    EXPECT_EQ(lines[2]["path_hex"].get<std::string>().substr(lines[2]["path_hex"].get<std::string>().size() - 10),
              "ff2e6d7033");
    EXPECT_EQ(lines[4]["error"]["message"], "Cannot open file: " + missing + ".");
    EXPECT_EQ(lines[4]["error"]["reason"], "No such file or directory");

    // A code page target's bytes are not text: they come in hex.
    EXPECT_FALSE(previewLines[0]["reading"].get<std::string>().empty());
    // The guess explains itself: how far the next reading of other text lies
    // behind the one chosen (for text it judged: the file above is Unicode by now).
    EXPECT_FALSE(previewLines[0].contains("reading_margin"));
    const std::vector<json> judged =
        linesOf(runInProcess({"--json", "-w", "-s", "auto", "-2", "unicode", dir.put("fresh.mp3", legacy())}).out);
    ASSERT_FALSE(judged.empty());
    EXPECT_EQ(judged[0]["reading"], "cp1251");
    ASSERT_TRUE(judged[0].contains("reading_margin")) << judged[0].dump();
    EXPECT_GE(std::stod(judged[0]["reading_margin"].dump()), 0);
    // And so does each field it judged: its reading and that reading's lead.
    ASSERT_TRUE(judged[0].contains("judged_fields")) << judged[0].dump();
    ASSERT_FALSE(judged[0]["judged_fields"].empty());
    for (const json& field : judged[0]["judged_fields"]) {
        EXPECT_EQ(field["reading"], "cp1251") << field.dump();
        EXPECT_GT(std::stod(field["margin"].dump()), 0) << field.dump();
    }
    EXPECT_EQ(previewLines[0]["texts"][0]["id3v2_hex"], "cff0e8e2e5f2");

    const json& summary = lines[6]["summary"];
    EXPECT_EQ(summary["files"], 6);
    EXPECT_EQ(summary["converted"], guardOutcome == "converted" ? 4 : 3);
    EXPECT_EQ(summary["unchanged"], 1);
    EXPECT_EQ(summary["skipped"], 1);
    EXPECT_EQ(summary["failed"], 1);
    EXPECT_EQ(summary["refused"], guardOutcome == "refused" ? 1 : 0);
    EXPECT_EQ(run.status, 1);

    // An option at fault ends the run: its error is in the summary, no file
    // is counted as failed; an auto: list names the name it does not know.
    const struct {
        const char* source;
        const char* reason;
    } options[] = {{"no-such", "no-such"}, {"auto:cp1251,koi9", "koi9"}};
    for (const auto& o : options) {
        const RunResult run = runInProcess({"--json", "-s", o.source, "-2", "unicode", song});
        const std::vector<json> fatal = linesOf(run.out);
        ASSERT_EQ(fatal.size(), 1u) << run.out;
        EXPECT_EQ(fatal[0]["summary"]["failed"], 0);
        EXPECT_EQ(fatal[0]["summary"]["not_reached"], 1);
        EXPECT_EQ(fatal[0]["error"]["kind"], "source-encoding");
        EXPECT_EQ(fatal[0]["error"]["where"], "-s");
        EXPECT_EQ(fatal[0]["error"]["reason"], o.reason);
        EXPECT_EQ(fatal[0]["error"]["message"], "Cannot open source encoding.");
        EXPECT_EQ(run.err, std::string("tagshifter: cannot open the encoding '") + o.reason
                               + "' given to -s; 'iconv --list' shows the names known here\n");
    }
}

// Each text says whether the run changes it, and id3v1_hex holds what the
// ID3v1 block gets: a text cut to its room, the genre as its number.
TEST(JsonOutput, TextsSayWhetherTheyChangedAndId3v1HexHoldsTheBytesWritten)
{
    TempDir dir;
    const std::string longTitle = kPrivetCp1251 + " " + kPrivetCp1251 + " " + kPrivetCp1251 + " "
                                  + kPrivetCp1251 + " " + "abc";  // 34 bytes
    const std::string song = dir.put(
        "song.mp3", id3v23Tag(textFrame("TIT2", longTitle) + textFrame("TPE1", "Kino")
                              + commentFrame(longTitle) + textFrame("TCON", "Rock"))
                        + mpegFrames(8));
    const std::vector<json> lines =
        linesOf(runInProcess({"--json", "-w", "-s", "cp1251", "-1", "cp1251", "-2", "unicode", song}).out);
    ASSERT_EQ(lines.size(), 2u);
    const std::string hexTitle = hexOf(longTitle.substr(0, 30));
    const struct {
        const char* field;
        bool changed;
        std::string id3v1Hex;
    } cases[] = {
        {"title", true, hexTitle},
        {"artist", false, "4b696e6f"},
        {"comment", true, hexTitle.substr(0, 54)},  // cut at a space: written without it
        {"genre", false, "11"},  // Rock is genre 17
    };
    const json& texts = lines[0]["texts"];
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        const auto text = std::find_if(texts.begin(), texts.end(),
                                       [&](const json& t) { return t.value("field", "") == c.field; });
        ASSERT_NE(text, texts.end()) << texts.dump();
        EXPECT_EQ((*text)["changed"], c.changed);
        EXPECT_EQ((*text)["id3v1_hex"], c.id3v1Hex);
    }

    // Saved, a text cut at a space reads back as reported and as the
    // preview showed it, whichever way its page is chosen.
    for (const char* page : {"cp1251", "auto"}) {
        SCOPED_TRACE(page);
        const std::string copy = dir.put(std::string(page) + ".mp3", readFile(song));
        const std::vector<json> saved = linesOf(
            runInProcess({"--json", "--no-journal", "-s", "cp1251", "-1", page, "-2", "unicode", copy}).out);
        ASSERT_EQ(saved.size(), 2u);
        const auto tag = readId3v1(readFile(copy));
        ASSERT_TRUE(tag.has_value());
        for (const auto& [name, bytes] : {std::pair{"title", tag->title}, std::pair{"comment", tag->comment}}) {
            const std::string field = name;
            const json& texts = saved[0]["texts"];
            const auto text = std::find_if(texts.begin(), texts.end(),
                                           [&](const json& t) { return t.value("field", "") == field; });
            ASSERT_NE(text, texts.end()) << texts.dump();
            EXPECT_EQ((*text)["id3v1_hex"], hexOf(bytes)) << field;
            EXPECT_EQ(hexOf(bytes), field == "title" ? cases[0].id3v1Hex : cases[2].id3v1Hex);
        }
    }
}

// A text far larger than the pieces it is written in (64 KiB), with signs
// JSON escapes and letters across the pieces' bounds, reads back whole,
// and its line is byte for byte the dump of what it holds.
TEST(JsonOutput, ALargeTitleIsTheDumpOfItsTextsWhole)
{
    TempDir dir;
    std::string title, after, before;
    for (int i = 0; i < 12000; ++i) {
        const std::string signs = " \"q\" \\ \t\x01 ";
        title += kPrivetCp1251 + signs;
        after += kPrivetUtf8 + signs;
        for (unsigned char c : kPrivetCp1251)  // Latin-1, as TagLib reads the frame
            before += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
        before += signs;
    }
    const std::string song = dir.put("song.mp3", id3v23Tag(textFrame("TIT2", title)) + mpegFrames(8));
    const RunResult run = runInProcess({"--json", "-s", "cp1251", "-1", "cp1251", "-2", "koi8-r", song});
    const std::string line = run.out.substr(0, run.out.find('\n'));
    const auto parsed = nlohmann::ordered_json::parse(line);
    EXPECT_EQ(parsed.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace), line);
    const auto& text = parsed["texts"][0];
    EXPECT_EQ(text["field"], "title");
    EXPECT_EQ(text["before"], before);
    EXPECT_EQ(text["after"], after);
    EXPECT_EQ(text["id3v1_hex"].get<std::string>().size(), 60u);
    EXPECT_EQ(text["id3v2_hex"].get<std::string>().size(), 2 * title.size());
}

// A title past a mebibyte, which the run reads from its frame's bytes
// where the ID3v2 tag goes and packs where it is written, is reported as
// a smaller one is: before (its Latin-1 read as UTF-8), after, whether it
// changed, and the bytes of a code page target.
TEST(JsonOutput, ATitleReadFromItsBytesIsReportedAsTheTagReadsIt)
{
    const std::string signs = " \"q\" \\ \t\x01 ";
    std::string cyrillic, cyrillicLatin1, cyrillicUtf8, ascii;
    while (cyrillic.size() < (1100u << 10)) {
        cyrillic += kPrivetCp1251 + signs;
        cyrillicUtf8 += kPrivetUtf8 + signs;
        for (unsigned char c : kPrivetCp1251)
            cyrillicLatin1 += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
        cyrillicLatin1 += signs;
        ascii += "Night street lamp" + signs;
    }
    const struct {
        const std::string *title, *before, *after;
        bool changed;
    } texts[] = {
        {&cyrillic, &cyrillicLatin1, &cyrillicUtf8, true},
        {&ascii, &ascii, &ascii, false},
    };
    // -1 alone: the ID3v2 tag goes; -2: the title is packed.
    const std::vector<std::vector<std::string>> targets = {{"-1", "cp1251"}, {"-2", "unicode"}, {"-2", "koi8-r"}};
    for (const auto& target : targets) {
        for (const auto& c : texts) {
            SCOPED_TRACE(target[0] + " " + target[1] + (c.changed ? " cyrillic" : " ascii"));
            TempDir dir;
            const std::string song = dir.put("song.mp3", id3v23Tag(textFrame("TIT2", *c.title)) + mpegFrames(8));
            const RunResult run = runInProcess({"--json", "-s", "cp1251", target[0], target[1], song});
            ASSERT_EQ(run.status, 0) << run.err;
            const std::string line = run.out.substr(0, run.out.find('\n'));
            const auto parsed = nlohmann::ordered_json::parse(line);
            EXPECT_EQ(parsed.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace), line);
            const auto& text = parsed["texts"][0];
            EXPECT_EQ(text["field"], "title");
            EXPECT_TRUE(text["before"] == *c.before) << "before";
            EXPECT_TRUE(text["after"] == *c.after) << "after";
            EXPECT_EQ(text["changed"], c.changed);
            if (target[1] == "koi8-r")
                EXPECT_EQ(text["id3v2_hex"].get<std::string>().size(), 2 * c.title->size());
            else
                EXPECT_FALSE(text.contains("id3v2_hex"));
        }
    }
}

// --undo --list: a journal a line, as JSON too.
TEST(JsonOutput, JournalListIsOneObjectAJournal)
{
    TempDir dir;
    const StateHomeOverride override(dir.path());
    const std::string song = dir.put("song.mp3", legacy());
    ASSERT_EQ(runInProcess({"-q", "-s", "cp1251", "-2", "unicode", song}).status, 0);
    ASSERT_EQ(runInProcess({"-q", "--undo"}).status, 0);

    const RunResult list = runInProcess({"--json", "--undo", "--list"});
    EXPECT_EQ(list.status, 0);
    const std::vector<json> lines = linesOf(list.out);
    ASSERT_EQ(lines.size(), 2u) << list.out;
    for (size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(lines[i].dump());
        EXPECT_EQ(lines[i]["files"], 1);
        EXPECT_EQ(lines[i]["undo"], i == 1);
        EXPECT_EQ(lines[i]["folder"].get<std::string>().front(), '/');
        EXPECT_GT(lines[i]["bytes"].get<long long>(), 0);
        EXPECT_EQ(lines[i]["started"].get<std::string>().size(), 20u);  // 2026-12-09T21:04:11Z
        EXPECT_TRUE(std::filesystem::exists(dir.file("tagshifter/" + lines[i]["journal"].get<std::string>())));
    }
}

}  // namespace
}  // namespace tagshifter::test
