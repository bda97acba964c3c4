#include "app/run.h"
#include "sys/process.h"

#include <cstdlib>

int main(int argc, char* argv[])
{
    tagshifter::sys::returnLargeBlocksAtOnce();
    std::exit(tagshifter::runTool(argc, argv));
}
