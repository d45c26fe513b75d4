#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "app/str_buf.h"
#include "platform/heap.h"
#include "platform/lock.h"
#include "platform/utf.h"
#include "tools/pwinspect/commands.h"
#include "tools/pwinspect/output.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

struct Command {
    const char16_t* name;
    int (*run)(int argc, char16_t** argv);
};

const Command kCommands[] = {
    {u"decode", CmdDecode}, {u"list", CmdList},       {u"read", CmdRead}, {u"settings", CmdSettings},
    {u"pages", CmdPages},   {u"extract", CmdExtract}, {u"pack", CmdPack}, {u"scale", CmdScale},
};

int Usage() {
    std::fputs(
        "usage: pwinspect decode FILE [--memory] [--dump OUT.bmp]\n"
        "       pwinspect list ARCHIVE [--password P] [--plugin-folder DIR]\n"
        "       pwinspect read ARCHIVE LOCATOR [--out FILE] [--password P] [--plugin-folder DIR]\n"
        "       pwinspect settings FILE\n"
        "       pwinspect pages PATH\n"
        "       pwinspect extract ARCHIVE DEST [--password P] [--plugin-folder DIR]\n"
        "       pwinspect pack FOLDER DEST [--store]\n"
        "       pwinspect scale FILE WIDTH HEIGHT OUT.bmp [--nearest]\n",
        stderr);
    return 2;
}

int Run(int argc, char16_t** argv) {
    if (argc < 2) {
        return Usage();
    }
    for (const Command& c : kCommands) {
        if (std::u16string_view(argv[1]) == c.name) {
            return c.run(argc - 2, argv + 2);
        }
    }
    return Usage();
}

}  // namespace

void PrintJsonString(FILE* out, const char16_t* text, size_t n) {
    std::fputc('"', out);
    for (size_t i = 0; i < n; ++i) {
        char16_t c = text[i];
        if (c == u'"' || c == u'\\') {
            std::fputc('\\', out);
            std::fputc(static_cast<char>(c), out);
        } else if (c < 0x20) {
            std::fprintf(out, "\\u%04x", static_cast<unsigned>(c));
        } else {
            char utf8[8];
            size_t len = Utf16ToUtf8(&text[i], 1, utf8, sizeof utf8);
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n) {
                len = Utf16ToUtf8(&text[i], 2, utf8, sizeof utf8);
                ++i;
            }
            std::fwrite(utf8, 1, len, out);
        }
    }
    std::fputc('"', out);
}

void SetBinaryStdout() {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
}

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    if (!AppHeapCreate()) {
        return 1;
    }
    AppLockInit();
    return Run(argc, reinterpret_cast<char16_t**>(argv));
}
#else
int main(int argc, char** argv) {
    if (!AppHeapCreate()) {
        return 1;
    }
    AppLockInit();
    // Arguments become UTF-16 as the program's own paths are; '/' stays as given
    // and the native file layer accepts both separators.
    char16_t** wide = static_cast<char16_t**>(std::calloc(static_cast<size_t>(argc) + 1, sizeof(char16_t*)));
    for (int i = 0; i < argc; ++i) {
        size_t n = std::strlen(argv[i]);
        wide[i] = static_cast<char16_t*>(std::calloc(n + 1, sizeof(char16_t)));
        Utf8ToUtf16(argv[i], n, wide[i], n + 1);
        for (size_t j = 0; wide[i][j] != 0; ++j) {
            if (wide[i][j] == u'/') {
                wide[i][j] = u'\\';
            }
        }
    }
    return Run(argc, wide);
}
#endif
