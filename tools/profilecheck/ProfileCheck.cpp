// profilecheck FOLDER: loads a machine profile and prints what Ravlin makes
// of it (detection, installation checks, their trace lines). Run in a
// scratch folder: the trace file is written to the current directory.
#include "DiagnosisSummary.h"

#include "boot/Boot.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: profilecheck FOLDER\n");
        return 2;
    }
    std::string error;
    if (!plat::StartMachineFrom(argv[1], &error)) {
        std::fprintf(stderr, "profilecheck: %s\n", error.c_str());
        return 1;
    }
    std::fputs(capture_testing::DiagnosisSummary().c_str(), stdout);
    return 0;
}
