#include "tools/pwinspect/rar_option.h"

#include <string>

#include "app/str_buf.h"
#include "archive/rar_library.h"

namespace {
std::u16string gPassword;
bool gGiven = false;

bool Answer(void*, void*, int32_t, StrBuf* password) {
    password->Assign(gPassword.c_str());
    return gGiven;
}
}  // namespace

bool IsRarPath(const char16_t* path) {
    StrBuf p;
    p.Assign(path);
    return p.HasExtension(u".rar") || p.HasExtension(u".cbr");
}

int TakeRarOptions(int argc, char16_t** argv) {
    static const RarPromptOps kOps{nullptr, Answer};
    RarSetPromptOps(&kOps);
    int i = 0;
    while (i + 1 < argc) {
        const std::u16string option(argv[i]);
        if (option == u"--password") {
            gPassword = argv[i + 1];
            gGiven = true;
        } else if (option == u"--plugin-folder") {
            RarSetPluginFolder(argv[i + 1]);
        } else {
            ++i;
            continue;
        }
        for (int j = i; j + 2 < argc; ++j) {
            argv[j] = argv[j + 2];
        }
        argc -= 2;
    }
    return argc;
}
