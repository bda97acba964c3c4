// Reading the options into the settings.
#pragma once

#include "app/settings.h"

#include <optional>
#include <string>
#include <vector>

namespace tagshifter {

// Whether an encoding name (lowercased) is one of Unicode's own (utf-8,
// utf16le, ucs-2...): given to -2, it is still taken as a code page.
bool namesUnicodeEncoding(const std::string& name);

// What a run is asked to do, and to which files.
struct CommandLine {
    Settings settings;
    std::vector<std::string> operands;
};

// Reads the options with getopt_long and validates them, printing the usage
// text, the version or the reasons for rejection. Returns the exit status when
// the command line itself ends the run.
std::optional<int> readCommandLine(int argc, char* argv[], CommandLine& line);

}  // namespace tagshifter
