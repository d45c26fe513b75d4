// Placeholder until the subcommand's module lands.
#include <cstdio>

#include "tools/pwinspect/commands.h"

int CmdRead(int, char16_t**) {
    std::fputs("pwinspect read: not available in this build\n", stderr);
    return 2;
}
