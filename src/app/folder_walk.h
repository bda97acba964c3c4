// -r: the .mp3 files under the folders named on the command line.
#pragma once

#include <string>
#include <vector>

namespace tagshifter {

// Each operand that is a folder (a symbolic link named here is followed)
// gives way to the regular files in it and below whose names end in .mp3 in
// any case, each folder's entries in byte order and a subfolder's files at
// its place; links met inside are neither followed nor taken. Every other
// operand stays as it is, for the loop to open or report.
std::vector<std::string> expandFolders(const std::vector<std::string>& operands);

}  // namespace tagshifter
