// -r: the .mp3 files under the folders named on the command line.
#pragma once

#include "app/file_list.h"

#include <string>
#include <vector>

namespace tagshifter {

// Each operand that is a folder gives way to the regular files in it and
// below whose names end in .mp3 in any case, each folder's entries in byte
// order and a subfolder's files at its place. The operand's own name is
// followed as far as no link another user planted is on the way; links met
// inside are neither followed nor taken. Each folder is opened from its
// parent's descriptor and known by its device and inode, so that the file
// loop opens it again only if it is still the one walked. Every other
// operand stays as it is, for the loop to open or report.
FileList expandFolders(const std::vector<std::string>& operands);

}  // namespace tagshifter
