// Placeholder until the subcommand's module lands.
#include <cstdio>

#include "tools/pwinspect/commands.h"

int CmdList(int, char16_t**) {
    std::fputs("pwinspect list: not available in this build\n", stderr);
    return 2;
}
