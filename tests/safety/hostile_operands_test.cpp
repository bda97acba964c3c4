// Operands and options that a careless or hostile caller may hand the tool:
// each has one clear outcome, nothing hangs, and no file loses a byte it
// should keep.
#include "support/child_process.h"
#include "support/fixtures.h"
#include "support/id3_reader.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace tagshifter::test {
namespace {

const std::vector<std::string> kConvert = {"-s", "cp1251", "-2", "unicode"};

std::string taggedFile()
{
    return id3v23Tag(textFrame("TIT2", kPrivetCp1251) + textFrame("TPE1", "artist"), 32)
           + mpegFrames(10);
}

ChildOutcome convert(const std::vector<std::string>& operands,
                     const std::vector<std::string>& options = kConvert)
{
    std::vector<std::string> args = options;
    args.insert(args.end(), operands.begin(), operands.end());
    ChildOptions limits;
    limits.timeLimitSeconds = 10;
    return runProgramLimited(args, limits);
}

std::string cannotOpen(const std::string& name)
{
    return "Error: Cannot open file: " + name + ".\n";
}

// The file was saved as asked: title in UTF-8, audio as it was.
void expectConverted(const std::string& path, const std::string& before)
{
    const std::string after = readFile(path);
    EXPECT_EQ(audioBytes(after), audioBytes(before));
    const auto tag = readId3v2(after);
    ASSERT_TRUE(tag.has_value());
    const auto title = frameText(*tag, "TIT2");
    ASSERT_TRUE(title.has_value());
    EXPECT_EQ(toUtf8(*title), kPrivetUtf8);
}

TEST(HostileOperands, WhatIsNoRegularFileIsReportedAndNeverWaitedOn)
{
    TempDir dir;
    const std::string fifo = dir.file("pipe.mp3");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string linkToFifo = dir.file("link.mp3");
    ASSERT_EQ(symlink(fifo.c_str(), linkToFifo.c_str()), 0);
    const std::string dangling = dir.file("dangling.mp3");
    ASSERT_EQ(symlink(dir.file("nowhere").c_str(), dangling.c_str()), 0);

    for (const std::string& name : {dir.path(), fifo, linkToFifo, dangling, std::string("/dev/null"),
                                     std::string("/dev/zero")}) {
        for (const auto& options : {kConvert, std::vector<std::string>{"-w", "-s", "cp1251"}}) {
            SCOPED_TRACE(name + (options[0] == "-w" ? " in preview" : ""));
            const ChildOutcome outcome = convert({name}, options);
            EXPECT_FALSE(outcome.timedOut);
            EXPECT_TRUE(outcome.exited);
            EXPECT_EQ(outcome.status, 1);
            EXPECT_EQ(outcome.out, cannotOpen(name));
        }
    }
}

// An empty operand keeps the line every file that does not open gets, and
// standard error says why, naming it '' rather than leaving a blank.
TEST(HostileOperands, EmptyNameIsAFileThatDoesNotOpenAndSaysWhy)
{
    const std::string note = "tagshifter: '': cannot open the file: an empty name names no file\n";
    const struct {
        std::vector<std::string> options;
        std::string out;
    } cases[] = {
        {kConvert, cannotOpen("")},
        {{"-r", "-s", "cp1251", "-2", "unicode"}, cannotOpen("")},
        {{"-w", "-s", "cp1251"}, cannotOpen("")},
        {{"-k", "--json", "-s", "cp1251", "-2", "unicode"},
         "{\"path\":\"\",\"outcome\":\"failed\",\"error\":{\"kind\":\"cannot-open-file\",\"message\":"
         "\"Cannot open file: .\",\"reason\":\"an empty name names no file\"}}\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options[0]);
        std::vector<std::string> args = c.options;
        args.push_back("");
        const RunResult run = runInProcess(args);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out.substr(0, c.out.size()), c.out);
        EXPECT_EQ(run.err.substr(0, note.size()), note);
    }
}

TEST(HostileOperands, FilesWithoutTagsAreSkippedUntouched)
{
    TempDir dir;
    std::string text;
    for (int i = 0; i < 500; ++i)
        text += "This is not an MP3 file at all, just a line of text.\n";
    const std::vector<std::pair<std::string, std::string>> files = {
        {dir.file("empty.mp3"), ""},
        {dir.file("text.mp3"), text},
        {dir.file("one-byte.mp3"), "I"},
        {dir.file("id3-word.mp3"), "ID3"},
        {dir.file("zeros.mp3"), std::string(4096, '\0')},
    };
    for (const auto& [path, bytes] : files) {
        SCOPED_TRACE(path);
        writeFile(path, bytes);
        const ChildOutcome outcome = convert({path});
        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(outcome.out, path + " does not contain any ID3 tags, skipping.\n");
        EXPECT_EQ(readFile(path), bytes);
    }
}

TEST(HostileOperands, StrangeNamesArePrintedVerbatimAndTheFilesConverted)
{
    TempDir dir;
    const std::string names[] = {
        "new\nline.mp3",
        "%s%n%d%%.mp3",
        "\xFF\xFE\xC0\x80 not UTF-8.mp3",
        " leading space.mp3",
        std::string(NAME_MAX - 4, 'n') + ".mp3",
    };
    const std::string before = taggedFile();
    for (const std::string& name : names) {
        SCOPED_TRACE(name.size());
        const std::string path = dir.file(name);
        writeFile(path, before);
        const ChildOutcome outcome = convert({path});
        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(outcome.out, path + "...done\n");
        expectConverted(path, before);
    }
}

TEST(HostileOperands, PathLongerThanPathMaxIsAFileThatDoesNotOpen)
{
    TempDir dir;
    const std::string path = dir.file("song.mp3");
    writeFile(path, taggedFile());
    std::string longPath = dir.path() + "/";
    while (longPath.size() <= PATH_MAX)
        longPath += "./";
    longPath += "song.mp3";

    const ChildOutcome outcome = convert({longPath});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, cannotOpen(longPath));
    EXPECT_EQ(readFile(path), taggedFile());
}

TEST(HostileOperands, HugeTextFrameIsConvertedWhole)
{
    TempDir dir;
    std::string title;
    while (title.size() < 1024 * 1024)
        title += kPrivetCp1251;
    std::string titleUtf8;
    for (size_t i = 0; i < title.size(); i += kPrivetCp1251.size())
        titleUtf8 += kPrivetUtf8;
    const std::string before = id3v23Tag(textFrame("TIT2", title)) + mpegFrames(10);
    const std::string path = dir.file("huge.mp3");
    writeFile(path, before);

    const ChildOutcome outcome = convert({path}, {"-s", "cp1251", "-1", "koi8-r", "-2", "unicode"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, path + "...done\n");
    const std::string after = readFile(path);
    EXPECT_EQ(audioBytes(after), audioBytes(before));
    const auto tag = readId3v2(after);
    ASSERT_TRUE(tag.has_value());
    const auto saved = frameText(*tag, "TIT2");
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(toUtf8(*saved), titleUtf8);
    const auto v1 = readId3v1(after);
    ASSERT_TRUE(v1.has_value());
    EXPECT_EQ(v1->title, std::string(kPrivetKoi8r + kPrivetKoi8r + kPrivetKoi8r + kPrivetKoi8r
                                     + kPrivetKoi8r).substr(0, 30));
}

// A planted sparse file (a terabyte costs its owner nothing) would be
// written out whole by a save; it is refused before any of that work. The
// hole here is small, so that a regression costs little.
TEST(HostileOperands, SparseFileIsRefusedUnwritten)
{
    TempDir dir;
    const std::string path = dir.file("sparse.mp3");
    const std::string head = id3v23Tag(textFrame("TIT2", kPrivetCp1251)) + mpegFrames(4);
    writeFile(path, head);
    ASSERT_EQ(truncate(path.c_str(), 64 << 20), 0);
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    if (static_cast<uint64_t>(before.st_blocks) * 512 >= static_cast<uint64_t>(before.st_size))
        GTEST_SKIP() << "this file system keeps no holes";

    const RunResult run = runInProcess({"-s", "cp1251", "-2", "unicode", path});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("not written: the file has holes"), std::string::npos) << run.err;
    struct stat after {};
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_blocks, before.st_blocks);
    std::string kept(head.size(), '\0');
    const int fd = open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(pread(fd, kept.data(), kept.size(), 0), static_cast<ssize_t>(kept.size()));
    close(fd);
    EXPECT_EQ(kept, head);
}

TEST(HostileOperands, MissingFileStopsTheRunAfterTheFilesBeforeIt)
{
    TempDir dir;
    const std::string first = dir.file("first.mp3");
    const std::string gone = dir.file("gone.mp3");
    const std::string last = dir.file("last.mp3");
    writeFile(first, taggedFile());
    writeFile(gone, taggedFile());
    writeFile(last, taggedFile());
    ASSERT_EQ(unlink(gone.c_str()), 0);

    const ChildOutcome outcome = convert({first, gone, last});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, first + "...done\n" + cannotOpen(gone));
    expectConverted(first, taggedFile());
    EXPECT_EQ(readFile(last), taggedFile());
}

TEST(HostileOperands, OneFileUnderTwoNamesIsConvertedOnceUnderThePreserveRule)
{
    TempDir dir;
    const std::string name = dir.file("a.mp3");
    const std::string other = dir.file("b.mp3");
    writeFile(name, taggedFile());
    ASSERT_EQ(link(name.c_str(), other.c_str()), 0);
    const std::string single = dir.file("single.mp3");
    writeFile(single, taggedFile());
    ASSERT_EQ(convert({single}, {"-p", "-s", "cp1251", "-2", "unicode"}).status, 0);

    struct stat before {};
    ASSERT_EQ(stat(name.c_str(), &before), 0);

    const ChildOutcome outcome = convert({name, other}, {"-p", "-s", "cp1251", "-2", "unicode"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, name + "...done\n" + other + "...done\n");
    // The second pass sees real Unicode and keeps it.
    EXPECT_EQ(readFile(name), readFile(single));
    EXPECT_EQ(readFile(other), readFile(single));
    // Still one file under two names: a save that renamed a new file over
    // one name would have split them, even where the contents agree.
    struct stat first {};
    struct stat second {};
    ASSERT_EQ(stat(name.c_str(), &first), 0);
    ASSERT_EQ(stat(other.c_str(), &second), 0);
    EXPECT_EQ(first.st_ino, before.st_ino);
    EXPECT_EQ(second.st_ino, before.st_ino);
    EXPECT_EQ(first.st_nlink, 2u);
    expectConverted(name, taggedFile());
}

TEST(HostileOperands, FileTheUserMayNotWriteFailsAndStaysAsItWas)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to run the tool as another user";
    const uid_t nobody = 65534;
    TempDir dir;
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    const std::string readOnly = dir.file("read-only.mp3");
    const std::string unreadable = dir.file("unreadable.mp3");
    const std::string writable = dir.file("writable.mp3");
    for (const std::string& path : {readOnly, unreadable, writable})
        writeFile(path, taggedFile());
    ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);
    ASSERT_EQ(chmod(unreadable.c_str(), 0000), 0);
    ASSERT_EQ(chown(writable.c_str(), nobody, nobody), 0);

    // The build folder may lie below a home only its owner can enter (root's
    // is 0700), so that user runs a copy placed where anyone can reach it.
    TempDir bin;
    ASSERT_EQ(chmod(bin.path().c_str(), 0755), 0);
    const std::string program = bin.file("tagshifter");
    ASSERT_TRUE(std::filesystem::copy_file(TAGSHIFTER_BINARY, program));
    ASSERT_EQ(chmod(program.c_str(), 0755), 0);
    ChildOptions asNobody;
    asNobody.user = nobody;
    asNobody.program = program;
    const ChildOutcome probe = runProgramLimited({"--version"}, asNobody);
    if (!probe.exited || probe.status == 126 || probe.status == 127)
        GTEST_SKIP() << "user " << nobody << " cannot run the copy of the program in " << bin.path()
                     << " (a folder above it is closed to that user; set TMPDIR to an open one)";

    std::vector<std::string> args = kConvert;
    args.insert(args.end(), {readOnly, writable, unreadable});
    const ChildOutcome outcome = runProgramLimited(args, asNobody);
    // The save that fails is reported and the run goes on; the file that
    // cannot even be read ends it.
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, readOnly + "failed!\n" + writable + "...done\n" + cannotOpen(unreadable));
    EXPECT_EQ(readFile(readOnly), taggedFile());
    EXPECT_EQ(readFile(unreadable), taggedFile());
    expectConverted(writable, taggedFile());

    // Only the failed save: status 1 all the same.
    const ChildOutcome alone = runProgramLimited({"-s", "cp1251", "-2", "unicode", readOnly}, asNobody);
    EXPECT_EQ(alone.status, 1);
    EXPECT_EQ(alone.out, readOnly + "failed!\n");
    EXPECT_EQ(readFile(readOnly), taggedFile());
}

TEST(HostileOperands, StrangeEncodingNamesGiveOneClearOutcome)
{
    const std::string longName(10000, 'x');
    struct Case {
        std::vector<std::string> options;
        const char* errorLine;  // nullptr: either a clean save or a reported error
    };
    const Case cases[] = {
        {{"-s", longName, "-2", "unicode"}, "Error: Cannot open source encoding.\n\n"},
        {{"-s", "cp1251", "-1", longName}, "Error: Cannot open id3v1 encoding.\n\n"},
        {{"-s", "cp1251", "-2", longName}, "Error: Cannot open id3v2 encoding.\n\n"},
        {{"-s", "cp1251", "-2", "iso-8859-1//TRANSLIT"}, nullptr},
        {{"-s", "cp1251", "-2", "iso-8859-1//IGNORE"}, nullptr},
        {{"-s", "cp1251//IGNORE", "-2", "unicode"}, nullptr},
        {{"-s", "cp1251", "-1", "koi8-r//TRANSLIT//IGNORE"}, nullptr},
        {{"-s", "cp1251", "-2", ""}, nullptr},
        {{"-s", "cp1251", "-2", "%n%s%n"}, "Error: Cannot open id3v2 encoding.\n\n"},
        {{"-s", "cp1251", "-2", "../../etc/passwd"}, "Error: Cannot open id3v2 encoding.\n\n"},
        // glibc may accept a name with a stray byte.
        {{"-s", "cp1251", "-2", std::string("utf-8\xFF", 6)}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options[1].substr(0, 40) + " " + c.options[3].substr(0, 40));
        TempDir dir;
        const std::string path = dir.file("song.mp3");
        writeFile(path, taggedFile());
        const ChildOutcome outcome = convert({path}, c.options);
        ASSERT_TRUE(outcome.exited) << "signal " << outcome.signal;
        if (c.errorLine != nullptr) {
            EXPECT_EQ(outcome.status, 1);
            EXPECT_EQ(outcome.out, c.errorLine);
        }
        if (outcome.status == 0) {
            EXPECT_EQ(outcome.out, path + "...done\n");
            EXPECT_EQ(audioBytes(readFile(path)), audioBytes(taggedFile()));
        } else {
            EXPECT_EQ(outcome.status, 1);
            EXPECT_EQ(outcome.out.rfind("Error: ", 0), 0u) << outcome.out;
            EXPECT_EQ(readFile(path), taggedFile());
        }
    }
    // An empty source name is no name at all.
    const ChildOutcome empty = convert({"song.mp3"}, {"-s", ""});
    EXPECT_EQ(empty.status, 1);
    EXPECT_EQ(empty.out, "Please specify source encoding.\nFor help, type tagshifter --help.\n");
}

// Under every limit of descriptors a run either converts as it should or
// says it ran out of them: a page that did not open for want of one is no
// unknown page, and a file the guess could not open is not read in a page
// judged without it.
TEST(HostileOperands, RunningOutOfDescriptorsIsNamedNotTakenForAnEncoding)
{
    const std::vector<std::string> sources = {"auto", "auto:cp1251,koi8-r", "cp1251"};
    for (const std::string& source : sources) {
        bool ranOut = false;
        for (int limit = 4; limit <= 16; ++limit) {
            SCOPED_TRACE(source + " under " + std::to_string(limit));
            TempDir dir;
            const std::string path = dir.file("song.mp3");
            writeFile(path, taggedFile());
            ChildOptions options;
            options.descriptorLimit = limit;
            const ChildOutcome outcome =
                runProgramLimited({"--no-journal", "-s", source, "-1", "koi8-r", "-2", "unicode", path}, options);
            ASSERT_TRUE(outcome.exited) << "signal " << outcome.signal;
            EXPECT_EQ(outcome.out.find("encoding"), std::string::npos) << outcome.out;
            // Converted, then in the page of its own texts, or left whole.
            if (outcome.status == 0) {
                EXPECT_NE(readFile(path).find(kPrivetUtf8), std::string::npos) << outcome.out;
            } else {
                EXPECT_EQ(readFile(path), taggedFile());
            }
            ranOut = ranOut || outcome.out.find("Too many open files") != std::string::npos;
        }
        EXPECT_TRUE(ranOut) << source;
    }
}

}  // namespace
}  // namespace tagshifter::test
