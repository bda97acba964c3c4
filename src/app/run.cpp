#include "app/run.h"

#include "app/command_line.h"
#include "app/undo_command.h"
#include "common/messages.h"

#include <getopt.h>

#include <cstdio>
#include <exception>

namespace tagshifter {

namespace {

int reportError(std::string message)
{
    std::printf("%s", formatErrorLine(std::move(message)).c_str());
    return 1;
}

}  // namespace

std::string formatErrorLine(std::string message)
{
    return messages::kErrorPrefix + std::move(message) + "\n";
}

int runTool(int argc, char* argv[], const SaveFile& save)
{
    try {
        Settings settings;
        if (argc == 1) {
            std::printf("%s", messages::kUsage);
            return 1;
        }
        if (auto status = readCommandLine(argc, argv, settings))
            return *status;
        if (settings.undo)
            return runUndo(settings);
        return processFiles(settings, std::vector<std::string>(argv + optind, argv + argc), save);
    } catch (const std::string& built) {
        return reportError(built);
    } catch (const char* constant) {
        return reportError(constant);
    } catch (const std::exception& error) {
        // Running out of memory on a huge tag, say: still a report, not an abort.
        return reportError(error.what());
    }
}

}  // namespace tagshifter
