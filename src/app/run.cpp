#include "app/run.h"

#include "app/command_line.h"
#include "app/folder_walk.h"
#include "app/output/json_output.h"
#include "app/output/text_output.h"
#include "common/format.h"
#include "common/messages.h"

#include <getopt.h>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <memory>

namespace tagshifter {

namespace {

std::unique_ptr<Output> makeOutput(const Settings& settings, size_t fileCount)
{
    const bool terminal = isatty(STDERR_FILENO) == 1;
    if (settings.json)
        return std::make_unique<JsonOutput>(fileCount, terminal);
    return std::make_unique<TextOutput>(fileCount, terminal, settings.reportProgress);
}

int runFiles(const Settings& settings, const std::vector<std::string>& operands, const SaveFile& save)
{
    std::unique_ptr<Output> output;
    try {
        const std::vector<std::string> files = settings.recursive ? expandFolders(operands) : operands;
        output = makeOutput(settings, files.size());
        if (namesUnicodeEncoding(settings.id3v2Encoding))
            output->note(formatted(messages::kNoteId3v2UnicodeAsCodePage, settings.id3v2Encoding.c_str()));
        const int status = processFiles(settings, files, *output, save);
        output->finish();
        return status;
    } catch (const std::exception& caught) {
        // Running out of memory on a huge tag, say: still a report, not an abort.
        const auto* error = dynamic_cast<const Error*>(&caught);
        const Error other(Error::Kind::Other, caught.what());
        if (!output)
            output = makeOutput(settings, 0);
        output->finish(error ? error : &other);
        return 1;
    }
}

}  // namespace

int runTool(int argc, char* argv[], const SaveFile& save)
{
    Settings settings;
    if (argc == 1) {
        std::printf("%s", messages::kUsage);
        return 1;
    }
    if (auto status = readCommandLine(argc, argv, settings))
        return *status;
    return runFiles(settings, std::vector<std::string>(argv + optind, argv + argc), save);
}

}  // namespace tagshifter
