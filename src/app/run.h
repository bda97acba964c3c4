// The whole run of the tool, from the argument vector to the exit status.
#pragma once

#include "app/file_loop.h"

namespace tagshifter {

// Reads the command line, processes the files and reports any fatal error.
// Returns the exit status for main to end the process with.
int runTool(int argc, char* argv[], const SaveFile& save = saveTags);

}  // namespace tagshifter
