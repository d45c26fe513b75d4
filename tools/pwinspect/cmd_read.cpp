// pwinspect read ARCHIVE LOCATOR [--out FILE] [--password P] [--plugin-folder DIR]: the bytes of one
// ZIP or RAR member, fetched as the page loader fetches it, to standard output or to FILE; exit 1
// when the member cannot be read.
#include <cstdio>
#include <string>

#include "archive/fetch_member.h"
#include "platform/vm.h"
#include "tools/pwinspect/commands.h"
#include "tools/pwinspect/output.h"
#include "tools/pwinspect/rar_option.h"

#ifndef _WIN32
#include "platform/native_path.h"
#endif

namespace {
constexpr int32_t kZipBook = 2;
constexpr int32_t kRarBook = 3;

bool ParseLocator(const char16_t* text, uint32_t* out) {
    uint64_t v = 0;
    if (text[0] == 0) {
        return false;
    }
    for (const char16_t* p = text; *p != 0; ++p) {
        if (*p < u'0' || *p > u'9') {
            return false;
        }
        v = v * 10 + static_cast<uint64_t>(*p - u'0');
        if (v > UINT32_MAX) {
            return false;
        }
    }
    *out = static_cast<uint32_t>(v);
    return true;
}

FILE* OpenOutput(const char16_t* path) {
#ifdef _WIN32
    return _wfopen(reinterpret_cast<const wchar_t*>(path), L"wb");
#else
    char native[4096];
    return ToNativePath(path, native, sizeof native) ? std::fopen(native, "wb") : nullptr;
#endif
}

int Usage() {
    std::fputs("usage: pwinspect read ARCHIVE LOCATOR [--out FILE] [--password P] [--plugin-folder DIR]\n",
               stderr);
    return 2;
}
}  // namespace

int CmdRead(int argc, char16_t** argv) {
    argc = TakeRarOptions(argc, argv);
    const char16_t* outPath = nullptr;
    if (argc == 4 && std::char_traits<char16_t>::compare(argv[2], u"--out", 6) == 0) {
        outPath = argv[3];
    } else if (argc != 2) {
        return Usage();
    }
    uint32_t locator = 0;
    if (!ParseLocator(argv[1], &locator)) {
        return Usage();
    }
    VmBlock block(FetchArchiveMember(IsRarPath(argv[0]) ? kRarBook : kZipBook, argv[0], &locator));
    if (block.get() == nullptr) {
        std::fputs("pwinspect read: member cannot be read\n", stderr);
        return 1;
    }
    FILE* out = stdout;
    if (outPath != nullptr) {
        out = OpenOutput(outPath);
        if (out == nullptr) {
            std::fputs("pwinspect read: cannot create the output file\n", stderr);
            return 1;
        }
    } else {
        SetBinaryStdout();
    }
    bool ok = std::fwrite(block.get(), 1, locator, out) == locator;
    ok = (out == stdout ? std::fflush(out) : std::fclose(out)) == 0 && ok;
    return ok ? 0 : 1;
}
