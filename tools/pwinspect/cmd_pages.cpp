// pwinspect pages PATH [--start N] [--locator L]: the page list PATH opens as,
// in the order the reader shows it, through the same SetBook, BuildPageList and
// ChooseStartPage the reader uses (without plug-ins or a RAR reader). One JSON
// line per page:
//   {"name":..,"location":..,"locator":..,"size":..,"modified":..}
// then one line with the start page:
//   {"book":..,"kind":..,"pageCount":..,"start":..}
// Exit code 0 with pages, 1 for an empty book, 2 for a usage error.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/utf.h"
#include "tools/pwinspect/commands.h"
#include "tools/pwinspect/output.h"
#include "view/book.h"

namespace {

bool ParseNumber(const char16_t* text, uint64_t max, uint64_t* out) {
    uint64_t value = 0;
    if (text == nullptr || *text == 0) {
        return false;
    }
    for (; *text != 0; ++text) {
        if (*text < u'0' || *text > u'9') {
            return false;
        }
        value = value * 10 + static_cast<uint64_t>(*text - u'0');
        if (value > max) {
            return false;
        }
    }
    *out = value;
    return true;
}

void PrintString(const char* key, const StrBuf& text, bool first = false) {
    std::printf("%s\"%s\":", first ? "" : ",", key);
    PrintJsonString(stdout, text.Text(), text.length);
}

}  // namespace

int CmdPages(int argc, char16_t** argv) {
    if (argc < 1) {
        std::fputs("usage: pwinspect pages PATH [--start N] [--locator L]\n", stderr);
        return 2;
    }
    uint64_t start = 0;
    uint64_t locator = 0;
    for (int i = 1; i < argc; ++i) {
        std::u16string_view arg(argv[i]);
        bool ok = false;
        if (arg == u"--start" && i + 1 < argc) {
            ok = ParseNumber(argv[++i], INT32_MAX, &start);
        } else if (arg == u"--locator" && i + 1 < argc) {
            ok = ParseNumber(argv[++i], UINT32_MAX, &locator);
        }
        if (!ok) {
            std::fputs("usage: pwinspect pages PATH [--start N] [--locator L]\n", stderr);
            return 2;
        }
    }

    BookState state;
    BookInit(&state, nullptr);
    OpenTarget target;
    target.path.Assign(argv[0]);
    (void)SetBook(&state, &target, static_cast<uint32_t>(locator));
    BuildPageList(&state);
    const int32_t first = ChooseStartPage(&state, &target, static_cast<int32_t>(start));

    for (int32_t i = 0; i < state.pageCount; ++i) {
        const PageEntry& e = state.pages->entries[i];
        std::fputc('{', stdout);
        PrintString("name", e.name, true);
        PrintString("location", e.location);
        std::printf(",\"locator\":%" PRIu32 ",\"size\":%" PRIu32 ",\"modified\":%" PRIu64 "}\n", e.locator,
                    e.size, e.modified);
    }
    std::fputc('{', stdout);
    PrintString("book", state.book.path, true);
    std::printf(",\"kind\":%d,\"pageCount\":%d,\"start\":%d}\n", static_cast<int>(state.book.kind),
                static_cast<int>(state.pageCount), static_cast<int>(first));
    int rc = state.pageCount > 0 ? 0 : 1;
    BookRelease(&state);
    return rc;
}
