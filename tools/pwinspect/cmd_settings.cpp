// pwinspect settings FILE: every slot of a settings file's index as a JSON line
// {"slot":N,"kind":"...","value":...}, through the same reader the program uses.
// A file the program would not read (missing, short, damaged header) prints
// nothing and exits 1.
#include <cstdio>

#include "settings/settings_dump.h"
#include "settings/settings_reader.h"
#include "tools/pwinspect/commands.h"
#include "tools/pwinspect/output.h"

int CmdSettings(int argc, char16_t** argv) {
    if (argc != 1) {
        std::fputs("usage: pwinspect settings FILE\n", stderr);
        return 2;
    }
    SettingsReader reader;
    if (!SettingsReaderOpenFile(&reader, argv[0])) {
        std::fputs("pwinspect settings: not a readable settings file\n", stderr);
        return 1;
    }
    ByteBuf out;
    DumpSettings(reader, &out);
    if (!out.ok) {
        std::fputs("pwinspect settings: out of memory\n", stderr);
        return 1;
    }
    SetBinaryStdout();
    std::fwrite(out.data, 1, out.size, stdout);
    return 0;
}
