#include "app/run.h"

#include <cstdlib>

int main(int argc, char* argv[])
{
    std::exit(tagshifter::runTool(argc, argv));
}
