// On a terminal, the progress line is wiped before any other text: the
// preview's first line starts a line of its own.
#include "app/output/terminal_text.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tagshifter::test {
namespace {

// Runs the program with standard output and error on one pseudo-terminal
// (or standard output into a pipe, as into a pager, when `pipe` is given);
// returns what the terminal received.
std::string onTerminal(const std::vector<std::string>& args, std::string* piped = nullptr)
{
    int pipeFds[2] = {-1, -1};
    if (piped && pipe(pipeFds) != 0)
        return "";
    std::vector<char*> argv{const_cast<char*>(TAGSHIFTER_BINARY)};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    int master = -1;
    const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
    if (child == 0) {
        if (piped)
            dup2(pipeFds[1], STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    EXPECT_GT(child, 0);
    if (piped) {
        close(pipeFds[1]);
        char buffer[4096];
        for (ssize_t got; (got = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
            piped->append(buffer, static_cast<size_t>(got));
        close(pipeFds[0]);
    }
    std::string seen;
    char buffer[4096];
    ssize_t got;
    while ((got = read(master, buffer, sizeof buffer)) > 0)  // EIO once the child is gone
        seen.append(buffer, static_cast<size_t>(got));
    close(master);
    int status = 0;
    waitpid(child, &status, 0);
    return seen;
}

TEST(Terminal, ProgressIsWipedBeforeThePreview)
{
    TempDir dir;
    const std::string song = id3v23Tag(textFrame("TIT2", kPrivetCp1251)) + mpegFrames(2);
    const std::string first = dir.put("1.mp3", song);
    const std::string second = dir.put("2.mp3", song);
    const std::string seen = onTerminal({"-w", "-s", "cp1251", "-2", "unicode", first, second});
    for (const std::string& file : {first, second}) {
        const size_t at = seen.find(file + "\r\n\tid3v1:");
        ASSERT_NE(at, std::string::npos) << seen;
        EXPECT_EQ(seen.substr(at - 4, 4), "\r\033[K") << seen;
    }
    EXPECT_NE(seen.find("file 2 of 2\033[K\r\033[K" + second), std::string::npos) << seen;
}

// Standard output into a pipe (a pager) shares the screen: no progress line
// is drawn into it, while the lines of standard error still come.
TEST(Terminal, NoProgressWhileStandardOutputGoesIntoAPipe)
{
    TempDir dir;
    const std::string song = id3v23Tag(textFrame("TIT2", kPrivetCp1251)) + mpegFrames(2);
    const std::string first = dir.put("1.mp3", song);
    const std::string second = dir.put("2.mp3", song);
    std::string piped;
    const std::string seen = onTerminal({"-w", "-s", "cp1251", "-2", "unicode", first, second}, &piped);
    EXPECT_EQ(seen.find("file 1 of 2"), std::string::npos) << seen;
    EXPECT_NE(seen.find("tagshifter: 2 files:"), std::string::npos) << seen;
    EXPECT_NE(piped.find(second + "\n\tid3v1:"), std::string::npos) << piped;
}

// A planted name and a tag's text cannot retitle the terminal or move its
// cursor: their control characters reach it escaped, on both streams; in a
// pipe the bytes stay as they are.
TEST(Terminal, ControlCharactersOfNamesAndTagsAreEscaped)
{
    TempDir dir;
    const std::string title = "\x1b]0;owned\x07T";
    const std::string song = id3v23Tag(textFrame("TIT2", title)) + mpegFrames(2);
    const std::string name = dir.put("a\x1b[2Jb\r.mp3", song);
    const std::string seen = onTerminal({"-w", "-s", "cp1251", "-2", "unicode", name, dir.file("gone\x1b[H.mp3")});
    EXPECT_EQ(seen.find('\x1b' + std::string("]0;")), std::string::npos) << seen;
    EXPECT_EQ(seen.find("\x1b[2J"), std::string::npos) << seen;
    EXPECT_NE(seen.find("a\\x1b[2Jb\\x0d.mp3"), std::string::npos) << seen;
    EXPECT_NE(seen.find("\\x1b]0;owned\\x07T"), std::string::npos) << seen;
    EXPECT_NE(seen.find("gone\\x1b[H.mp3: cannot open the file"), std::string::npos) << seen;
    // A line break in a name or a comment cannot fake a line of its own.
    const std::string faked = dir.put("x\nshadow...done\n.mp3", id3v23Tag(textFrame("TIT2", "T")
        + commentFrame("a\n/root/x.mp3...done")) + mpegFrames(2));
    const std::string fakes = onTerminal({"-w", "-s", "cp1251", "-2", "unicode", faked, dir.file("y\nz.mp3")});
    EXPECT_EQ(fakes.find("\nshadow"), std::string::npos) << fakes;
    EXPECT_EQ(fakes.find("\n/root/x.mp3"), std::string::npos) << fakes;
    EXPECT_NE(fakes.find("x\\x0ashadow...done\\x0a.mp3\r\n\tid3v1:"), std::string::npos) << fakes;
    EXPECT_NE(fakes.find("y\\x0az.mp3: cannot open the file"), std::string::npos) << fakes;

    // Lone bytes 0x80 to 0x9f (a code page's text shown as it is) are
    // controls to a terminal that takes 8-bit ones.
    const std::string csi = dir.put("c.mp3", id3v23Tag(textFrame("TIT2", "x\x9b" "2Jy")) + mpegFrames(2));
    const std::string csiSeen = onTerminal({"-w", "-s", "cp1251", "-2", "cp1251", csi});
    EXPECT_EQ(csiSeen.find('\x9b'), std::string::npos) << csiSeen;
    EXPECT_NE(csiSeen.find("x\\x9b2Jy"), std::string::npos) << csiSeen;

    const RunResult piped = runInProcess({"-w", "-s", "cp1251", "-2", "unicode", name});
    EXPECT_NE(piped.out.find(name), std::string::npos);
    EXPECT_NE(piped.out.find(title), std::string::npos);
}

// What reaches a terminal of each kind of byte: controls of both sets
// escaped, whether they come as UTF-8 or as lone bytes of a code page;
// every well-formed character and every other byte as it is.
TEST(TerminalText, ControlsOfBothSetsAreEscapedAndTextStays)
{
    const struct {
        const char* name;
        std::string text;
        std::string shown;
    } cases[] = {
        {"plain text and tabs", "a\tb\n", "a\tb\n"},
        {"C0 control and DEL", "a\x1b[2J\x7f", "a\\x1b[2J\\x7f"},
        {"inner line break", "a\nb\n", "a\\x0ab\n"},
        {"C1 control as UTF-8", "a\xc2\x9b" "2J", "a\\xc2\\x9b2J"},
        {"lone CSI byte", "a\x9b" "2J", "a\\x9b2J"},
        {"lone bytes 0x80 and 0x9f", "\x80x\x9f", "\\x80x\\x9f"},
        {"continuation without a lead", "\xd0\x9f\x9f", "\xd0\x9f\\x9f"},
        {"lead cut short", "\xe2\x82", "\xe2\\x82"},
        {"overlong C1", "\xe0\x82\x9b", "\xe0\\x82\\x9b"},
        {"Cyrillic, euro sign, emoji", "\xd0\x9f\xe2\x82\xac\xf0\x9f\x8e\xb5", "\xd0\x9f\xe2\x82\xac\xf0\x9f\x8e\xb5"},
        {"code page bytes above 0x9f", "\xcf\xf0\xe8", "\xcf\xf0\xe8"},
        {"U+00A0 and U+00FF", "\xc2\xa0\xc3\xbf", "\xc2\xa0\xc3\xbf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(escapeControls(c.text), c.shown);
    }
}

}  // namespace
}  // namespace tagshifter::test
