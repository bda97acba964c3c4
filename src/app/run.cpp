#include "app/run.h"

#include "app/command_line.h"
#include "app/folder_walk.h"
#include "app/output/json_output.h"
#include "app/output/text_output.h"
#include "app/undo_command.h"
#include "common/format.h"
#include "common/messages.h"
#include "sys/fd.h"

#include <cstdio>
#include <exception>
#include <memory>

namespace tagshifter {

namespace {

std::unique_ptr<Output> makeOutput(const Settings& settings, size_t fileCount)
{
    const bool terminal = sys::progressLineFits();
    std::unique_ptr<Output> output;
    if (settings.json)
        output = std::make_unique<JsonOutput>(fileCount, terminal);
    else
        output = std::make_unique<TextOutput>(fileCount, terminal, settings.reportProgress);
    output->setQuiet(!settings.reportProgress);
    return output;
}

// The error that ends a run is shown last, after the count.
int stop(std::unique_ptr<Output>& output, const Settings& settings, const Error& error)
{
    if (!output)
        output = makeOutput(settings, 0);
    output->finish(&error);
    return 1;
}

// Both kinds of run fill `output` once they know how many files they show,
// so that an error that ends them comes after what was shown.
int runFiles(const Settings& settings, const std::vector<std::string>& operands, const SaveFile& save,
             std::unique_ptr<Output>& output)
{
    FileList files;
    if (settings.recursive)
        files = expandFolders(operands);
    else
        files.names = operands;
    output = makeOutput(settings, files.size() + files.unreadable.size());
    const TargetEncoding& id3v2 = settings.id3v2;
    if (id3v2.kind == TargetEncoding::Kind::CodePage && namesUnicodeEncoding(id3v2.codePage))
        output->note(formatted(messages::kNoteId3v2UnicodeAsCodePage, id3v2.codePage.c_str()));
    for (const std::string& folder : files.withoutFiles)
        output->note(formatted(messages::kNoteNoMp3Files, folder.c_str()));
    // Said first, so that a run that a file's error ends has said them.
    for (const FileList::Unreadable& folder : files.unreadable)
        output->unreadableFolder(folder.folder, folder.why);
    int status = processFiles(settings, files, *output, save);
    if (!files.unreadable.empty())
        status = 1;
    output->finish();
    return status;
}

// --undo: the journal is read before anything is shown, then each of its
// files goes through the same output as a run's.
int runUndo(const Settings& settings, std::unique_ptr<Output>& output)
{
    if (settings.listJournals) {
        output = makeOutput(settings, 0);
        return listJournals(*output);
    }
    UndoPlan plan = journalToUndo(settings);
    output = makeOutput(settings, plan.journal.files.size());
    output->countAsUndo();
    const int status = undoFiles(settings, plan, *output);
    output->finish();
    return status;
}

}  // namespace

int runTool(int argc, char* argv[], const SaveFile& save)
{
    if (argc == 1) {
        std::printf("%s", messages::kUsage);
        return 1;
    }
    CommandLine line;
    if (auto status = readCommandLine(argc, argv, line))
        return *status;
    const Settings& settings = line.settings;
    std::unique_ptr<Output> output;
    try {
        if (settings.undo)
            return runUndo(settings, output);
        return runFiles(settings, line.operands, save, output);
    } catch (const Error& error) {
        return stop(output, settings, error);
    } catch (const std::exception& error) {
        // Running out of memory on a huge tag, say: still a report, not an abort.
        return stop(output, settings, Error(Error::Kind::Other, error.what()));
    }
}

}  // namespace tagshifter
