// Text bound for a terminal: the control characters a file name or a tag
// may hold are shown as \xNN, so that none can move the cursor, retitle the
// window or hide what went before. Line ends and tabs stay.
#pragma once

#include <string>

namespace tagshifter {

std::string escapeControls(const std::string& text);

}  // namespace tagshifter
