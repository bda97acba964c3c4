// Text bound for a terminal: the control characters a file name or a tag
// may hold are shown as \xNN, so that none can move the cursor, retitle the
// window, hide what went before or fake a line. Tabs and the line end that
// closes the text stay: each text given is one line.
#pragma once

#include <string>

namespace tagshifter {

std::string escapeControls(const std::string& text);

}  // namespace tagshifter
