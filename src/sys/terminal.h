// What the standard streams are connected to.
#pragma once

namespace tagshifter::sys {

// Standard error is a terminal a progress line can be redrawn on, and
// standard output does not go into a pipe or socket (a pager, another
// program) that shares that terminal's screen.
bool progressLineFits();

}  // namespace tagshifter::sys
