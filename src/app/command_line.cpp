#include "app/command_line.h"

#include "common/format.h"
#include "common/messages.h"

#include <getopt.h>

#include <cctype>
#include <cstdio>
#include <string>

namespace tagshifter {

namespace {

const char kShortOptions[] = "s:1:2:pwdvhqakr";

// Long options without a letter get values outside the range of a char.
enum : int {
    kId3v23Option = 0x100,
    kSyncOption,
    kJsonOption,
    kJournalOption,
    kNoJournalOption,
    kUndoOption,
    kListOption,
};

const option kLongOptions[] = {
    {"source-encoding", required_argument, nullptr, 's'},
    {"id3v1-encoding", required_argument, nullptr, '1'},
    {"id3v2-encoding", required_argument, nullptr, '2'},
    {"preserve-unicode", no_argument, nullptr, 'p'},
    {"preview", no_argument, nullptr, 'w'},
    {"version", no_argument, nullptr, 'v'},
    {"help", no_argument, nullptr, 'h'},
    {"quiet", no_argument, nullptr, 'q'},
    {"all-frames", no_argument, nullptr, 'a'},
    {"keep-going", no_argument, nullptr, 'k'},
    {"id3v2.3", no_argument, nullptr, kId3v23Option},
    // "--id3v2" was a unique abbreviation of --id3v2-encoding before
    // --id3v2.3 came; an exact entry keeps it working for scripts.
    {"id3v2", required_argument, nullptr, '2'},
    {"sync", no_argument, nullptr, kSyncOption},
    {"recursive", no_argument, nullptr, 'r'},
    {"json", no_argument, nullptr, kJsonOption},
    {"journal", required_argument, nullptr, kJournalOption},
    {"no-journal", no_argument, nullptr, kNoJournalOption},
    {"undo", optional_argument, nullptr, kUndoOption},
    {"list", no_argument, nullptr, kListOption},
    {nullptr, 0, nullptr, 0},
};

// Byte by byte in the C locale: only A-Z change.
std::string lowercased(const char* argument)
{
    std::string name = argument;
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

}  // namespace

bool namesUnicodeEncoding(const std::string& name)
{
    return name.rfind("utf", 0) == 0 || name.rfind("ucs", 0) == 0;
}

// The options that say how to convert, which an undo has no use for: it
// puts back the bytes its journal holds. "" for any other.
const char* conversionOption(int letter)
{
    switch (letter) {
    case 's': return "-s";
    case '1': return "-1";
    case '2': return "-2";
    case 'p': return "-p";
    case 'a': return "-a";
    case 'k': return "-k";
    case 'r': return "-r";
    case kId3v23Option: return "--id3v2.3";
    default: return "";
    }
}

std::optional<int> readCommandLine(int argc, char* argv[], CommandLine& line)
{
    Settings& settings = line.settings;
    bool optionsValid = true;
    bool journalUnnamed = false;  // --journal= with an empty value
    std::string notForUndo;  // "-s, -2" as given
    optind = 0;  // getopt's own state, fresh for each command line
    int letter;
    while ((letter = getopt_long(argc, argv, kShortOptions, kLongOptions, nullptr)) != -1) {
        const std::string option = conversionOption(letter);
        if (!option.empty() && (", " + notForUndo + ", ").find(", " + option + ", ") == std::string::npos)
            notForUndo += (notForUndo.empty() ? "" : ", ") + option;
        switch (letter) {
        case 's':
            settings.source = *optarg ? std::optional(SourceEncoding::parse(lowercased(optarg))) : std::nullopt;
            break;
        case '1': settings.id3v1 = TargetEncoding::parse(lowercased(optarg), true); break;
        case '2': settings.id3v2 = TargetEncoding::parse(lowercased(optarg), false); break;
        case 'p': settings.preserveUnicode = true; break;
        case 'w': settings.previewOnly = true; break;
        case 'q': settings.reportProgress = false; break;
        case 'a': settings.allFrames = true; break;
        case 'k': settings.keepGoing = true; break;
        case kId3v23Option: settings.id3v2Version = 3; break;
        case kSyncOption: settings.syncWrites = true; break;
        case 'r': settings.recursive = true; break;
        case kJsonOption: settings.json = true; break;
        case kJournalOption:
            // Empty, it would quietly mean the state folder: a script's unset variable.
            journalUnnamed = journalUnnamed || *optarg == '\0';
            settings.journalFile = optarg;
            settings.journal = true;
            break;
        case kNoJournalOption:
            settings.journal = false;
            settings.journalFile.clear();
            break;
        case kUndoOption:
            settings.undo = true;
            settings.undoJournal = optarg != nullptr ? optarg : "";
            break;
        case kListOption: settings.listJournals = true; break;
        case 'h':
            std::printf("%s", messages::kUsage);
            return 1;
        case 'v':
            std::printf(messages::kVersionLineFormat, messages::kProgramName, messages::kVersion);
            std::printf("%s", messages::kVersionNotice);
            return 1;
        default:  // '?' from the parser, and -d, which the tool does not take
            optionsValid = false;
            break;
        }
    }

    line.operands.assign(argv + optind, argv + argc);
    if (journalUnnamed) {
        std::printf("%s", messages::kJournalNeedsFile);
        std::printf("%s", messages::kHelpHint);
        return 1;
    }
    if (settings.undo || settings.listJournals) {
        // An undo takes its files and their encodings from the journal.
        const std::string wrong = !settings.undo ? messages::kListNeedsUndo
                                  : !line.operands.empty() ? messages::kUndoTakesNoFiles
                                  : !notForUndo.empty() ? formatted(messages::kUndoTakesNoOption, notForUndo.c_str())
                                                        : "";
        if (optionsValid && wrong.empty())
            return std::nullopt;
        std::printf("%s", wrong.c_str());
        std::printf("%s", messages::kHelpHint);
        return 1;
    }
    if (optionsValid && !settings.source) {
        std::printf("%s", messages::kNoSourceEncoding);
        optionsValid = false;
    }
    if (line.operands.empty()) {
        std::printf("%s", messages::kNoFiles);
        std::printf("%s", messages::kHelpHint);
        return 1;
    }
    if (!optionsValid) {
        std::printf("%s", messages::kHelpHint);
        return 1;
    }
    return std::nullopt;
}

}  // namespace tagshifter
