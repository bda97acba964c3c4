// The command line: what each way of calling the tool prints and returns, and
// the settings the options leave behind.
#include "support/fixtures.h"

#include "app/command_line.h"
#include "common/messages.h"

#include <gtest/gtest.h>

#include <getopt.h>

#include <sstream>

namespace tagshifter::test {
namespace {

// The usage text as it always was, 716 bytes; the lines of later options
// join the option list after -q, in its style.
const std::string kClassicUsage =
    "Usage:\n"
    "  tagshifter [options] file1 file2 ...\n"
    "\n"
    "Options:\n"
    "  -h, --help                   This help\n"
    "  -v, --version                Version information\n"
    "  -s, --source-encoding=cp     Current encoding, required\n"
    "  -1, --id3v1-encoding=t       Target encoding, can be 'none' or an ANSI code page\n"
    "  -2, --id3v2-encoding=t       Target encoding, can be 'none', an ANSI code page or 'unicode'\n"
    "  -p, --preserve-unicode       Try not to reencode unicode.\n"
    "  -w, --preview                Do not modify the files, just show converted tags.\n"
    "  -q, --quiet                  Do not report what files have been processed.\n"
    "\n"
    "To view available ANSI code pages, execute:\n"
    "  iconv --list\n"
    "\n"
    "Important: use 'unicode' instead of utf-8 or utf-16\n"
    "\n";
const std::string kLaterOptions =
    "  -a, --all-frames             Also recode every other text frame, TXXX, COMM and USLT.\n"
    "  -k, --keep-going             After a file that fails, go on with the next one.\n"
    "      --id3v2.3                Write ID3v2.3 instead of ID3v2.4, for old players.\n"
    "      --sync                   Flush each saved file and its folder to disk.\n"
    "  -r, --recursive              Also convert the .mp3 files in the folders given, and below.\n"
    "      --json                   Print one JSON object per file and a summary instead.\n"
    "  -1 auto                      Write each file's ID3v1 in its own code page.\n"
    "  -s auto[:LIST]               Guess each album's code page among LIST, or common ones.\n"
    "  -1 none, -2 none             Remove that tag, pictures and all (the default); --undo puts it back.\n"
    "      --journal=FILE           Keep what undoes this run in FILE, not in the state folder.\n"
    "      --no-journal             Keep nothing to undo this run with.\n"
    "      --undo[=JOURNAL]         Put back the files of the last run, or of JOURNAL.\n"
    "      --list                   With --undo, list the journals kept instead.\n";
const size_t kAfterQuiet = kClassicUsage.find("\nTo view");
const std::string kUsageText =
    kClassicUsage.substr(0, kAfterQuiet) + kLaterOptions + kClassicUsage.substr(kAfterQuiet);
// The two lines naming the rights holders are the tool's own wording.
const std::string kVersionText = std::string("tagshifter 1.2.1\n") + messages::kVersionNotice;
const std::string kNoSource = "Please specify source encoding.\n";
const std::string kNoFiles = "No files are given.\n";
const std::string kHint = "For help, type tagshifter --help.\n";

struct RejectedCase {
    std::vector<std::string> args;
    std::string out;
};

// None of these reaches the file loop, so the operands need not exist.
TEST(CommandLine, EveryRejectionPrintsItsMessagesAndEndsWithStatus1)
{
    const std::vector<RejectedCase> cases = {
        {{}, kUsageText},
        {{"-h"}, kUsageText},
        {{"-s", "cp1251", "--help", "a.mp3"}, kUsageText},
        {{"-v"}, kVersionText},
        {{"--version", "a.mp3"}, kVersionText},
        // Of -h and -v the first wins; an option error before either stands
        // without a hint.
        {{"-v", "-h"}, kVersionText},
        {{"-h", "-v"}, kUsageText},
        {{"-x", "-h"}, kUsageText},
        {{"-d", "--version"}, kVersionText},
        // Option errors: the source message is never added.
        {{"-s", "cp1251", "-x", "a.mp3"}, kHint},
        {{"-x", "a.mp3"}, kHint},
        {{"a.mp3", "-s"}, kHint},
        {{"-s", "cp1251", "--quiet=yes", "a.mp3"}, kHint},
        {{"-s", "cp1251", "--pre", "a.mp3"}, kHint},
        {{"-s", "cp1251", "-q", "-d", "-2", "unicode", "a.mp3"}, kHint},
        {{"-d"}, kNoFiles + kHint},
        {{"-x"}, kNoFiles + kHint},
        {{"-s", "cp1251", "--bogus"}, kNoFiles + kHint},
        // A missing or empty source encoding; an empty argument is an operand.
        {{"a.mp3"}, kNoSource + kHint},
        {{""}, kNoSource + kHint},
        {{"-s", "", "a.mp3"}, kNoSource + kHint},
        {{"-s", "cp1251", "--source-encoding=", "a.mp3"}, kNoSource + kHint},
        {{"-q"}, kNoSource + kNoFiles + kHint},
        {{"--"}, kNoSource + kNoFiles + kHint},
        {{"-s", "cp1251"}, kNoFiles + kHint},
        {{"--source-encoding", "cp1251", "--"}, kNoFiles + kHint},
        // An undo takes its files from the journal.
        {{"--undo", "a.mp3"}, "--undo takes no files: it restores those of the journal.\n" + kHint},
        {{"--list"}, "--list goes with --undo.\n" + kHint},
        // An empty journal name is refused, not read as the state folder.
        {{"-s", "cp1251", "--journal=", "a.mp3"}, "--journal takes a file name; --no-journal keeps none.\n" + kHint},
        {{"--journal", "", "--undo"}, "--journal takes a file name; --no-journal keeps none.\n" + kHint},
        // ... and the journal says how they were: an option that says how to convert is refused.
        {{"--undo", "-s", "cp1251", "-2", "unicode", "-k", "--source-encoding=koi8-r"},
         "--undo does not take -s, -2, -k: it puts back the bytes the journal holds, as they were.\n" + kHint},
        {{"--undo", "--list", "--id3v2.3"},
         "--undo does not take --id3v2.3: it puts back the bytes the journal holds, as they were.\n" + kHint},
    };
    for (const RejectedCase& c : cases) {
        std::ostringstream trace;
        for (const std::string& arg : c.args)
            trace << '[' << arg << ']';
        SCOPED_TRACE(trace.str());
        const RunResult result = runProgram(c.args);
        EXPECT_EQ(result.out, c.out);
        EXPECT_EQ(result.status, 1);
    }
}

TEST(CommandLine, UsageTextIsLaidOutInColumns)
{
    const std::string usage = runProgram({"--help"}).out;
    ASSERT_EQ(kClassicUsage.size(), 716u);
    EXPECT_EQ(usage, kUsageText);
    EXPECT_EQ(usage.find('\t'), std::string::npos);
    std::istringstream lines(usage);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t first = line.find_first_not_of(' ');
        if (first == std::string::npos || line[first] != '-')
            continue;  // only the option lines
        SCOPED_TRACE(line);
        // The description starts at column 31, after a gap of two spaces or more.
        ASSERT_GT(line.size(), 31u);
        EXPECT_EQ(line.substr(29, 2), "  ");
        EXPECT_NE(line[31], ' ');
        EXPECT_EQ(line.find("-"), line[2] == '-' ? 2u : 6u);  // a long option alone sits under the long ones
    }
}

TEST(CommandLine, ErrorOutputShowsTheMessageKind)
{
    TempDir dir;
    // A constant message ends in its own newline: an empty line follows.
    const std::string song = dir.file("song.mp3");
    writeFile(song, id3v23Tag(textFrame("TIT2", kPrivetCp1251)) + mpegFrames(4));
    EXPECT_EQ(runProgram({"-s", "no-such-code-page", song}).out, "Error: Cannot open source encoding.\n\n");
    // A built message is one line, with the name as given.
    const std::string missing = dir.file("%s%n%d 100%.mp3");
    const RunResult result = runProgram({"-s", "cp1251", missing});
    EXPECT_EQ(result.out, "Error: Cannot open file: " + missing + ".\n");
    EXPECT_EQ(result.status, 1);
    // An empty argument is a file operand like any other.
    EXPECT_EQ(runProgram({"-s", "cp1251", song, ""}).out,
              song + "...done\n" + "Error: Cannot open file: .\n");
}

// Reads the options as the tool does; the command line must be accepted.
Settings readSettings(std::vector<std::string> args)
{
    args.insert(args.begin(), "tagshifter");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    CommandLine line;
    testing::internal::CaptureStdout();
    const std::optional<int> status = readCommandLine(static_cast<int>(args.size()), argv.data(), line);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(status.has_value()) << out;
    EXPECT_EQ(out, "");
    EXPECT_EQ(line.operands, std::vector<std::string>{"a.mp3"});
    return line.settings;
}

TEST(CommandLine, SettingsTakeTheLastValueInLowerCase)
{
    const Settings defaults = readSettings({"-s", "x", "a.mp3"});
    EXPECT_EQ(defaults.id3v1.name(), "none");
    EXPECT_EQ(defaults.id3v2.name(), "none");
    EXPECT_FALSE(defaults.preserveUnicode);
    EXPECT_FALSE(defaults.previewOnly);
    EXPECT_TRUE(defaults.reportProgress);

    const Settings upper = readSettings({"-s", "CP1251", "-1", "None", "-2", "UNICODE", "-p", "-w", "-q", "a.mp3"});
    EXPECT_EQ(upper.source->name(), "cp1251");
    EXPECT_EQ(upper.id3v1.name(), "none");
    EXPECT_EQ(upper.id3v2.name(), "unicode");
    EXPECT_TRUE(upper.preserveUnicode);
    EXPECT_TRUE(upper.previewOnly);
    EXPECT_FALSE(upper.reportProgress);

    const Settings repeated = readSettings({"-s", "koi8-r", "--source-encoding=CP1251", "-2", "unicode",
                                            "--id3v2-encoding", "KOI8-U", "-1", "cp1251", "-1", "", "a.mp3"});
    EXPECT_EQ(repeated.source->name(), "cp1251");
    EXPECT_EQ(repeated.id3v2.name(), "koi8-u");
    EXPECT_EQ(repeated.id3v1.name(), "");  // empty, which is not "none"

    // The abbreviation scripts may use stays unambiguous beside --id3v2.3.
    const Settings abbreviated = readSettings({"-s", "x", "--id3v2=UNICODE", "--id3v2.3", "a.mp3"});
    EXPECT_EQ(abbreviated.id3v2.name(), "unicode");
    EXPECT_EQ(abbreviated.id3v2Version, 3);

    // Only A-Z change: no trimming, and bytes from 0x80 up stay.
    const Settings raw = readSettings({"-s", " ISO_8859-5\xC0\xDE ", "a.mp3"});
    EXPECT_EQ(raw.source->name(), " iso_8859-5\xC0\xDE ");
}

}  // namespace
}  // namespace tagshifter::test
