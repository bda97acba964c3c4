#include "sys/terminal.h"

#include <sys/stat.h>
#include <unistd.h>

namespace tagshifter::sys {

bool progressLineFits()
{
    if (isatty(STDERR_FILENO) != 1)
        return false;
    struct stat out {};
    if (fstat(STDOUT_FILENO, &out) != 0)
        return true;  // closed: nothing shares the screen
    return !S_ISFIFO(out.st_mode) && !S_ISSOCK(out.st_mode);
}

}  // namespace tagshifter::sys
