// The formats the tool converts, made once a run: the one list that names them.
#pragma once

#include "app/settings.h"
#include "format/tagged_file.h"

#include <memory>
#include <string>
#include <vector>

namespace tagshifter {

class Formats {
public:
    explicit Formats(const Settings& settings);

    // Whether the -r walk takes a file of this name.
    static bool takesName(const std::string& name);
    // The format a file is opened as: the one whose names it has, else the
    // first (an operand is an MP3 whatever its name).
    format::Format& of(const std::string& name);

private:
    std::vector<std::unique_ptr<format::Format>> formats_;
};

}  // namespace tagshifter
