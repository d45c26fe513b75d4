// Placeholder until the subcommand's module lands.
#include <cstdio>

#include "tools/pwinspect/commands.h"

int CmdPages(int, char16_t**) {
    std::fputs("pwinspect pages: not available in this build\n", stderr);
    return 2;
}
