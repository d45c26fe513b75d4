#include "bench/book/book_corpus.h"

#include <chrono>
#include <cstdio>
#include <fstream>

#include "platform/dir.h"
#include "view/book.h"

namespace fs = std::filesystem;

namespace {
constexpr int kOtherFiles = 12;

std::string PageName(int i) {
    // Volume v, chapter c, page p; every fourth name unpadded, every seventh
    // in capitals, one in five a PNG.
    int v = 1 + i / 2500;
    int c = 1 + (i / 50) % 50;
    int p = 1 + i % 50;
    char name[96];
    const char* ext = i % 5 == 0 ? ".png" : ".jpg";
    if (i % 7 == 0) {
        ext = i % 5 == 0 ? ".PNG" : ".JPG";
    }
    if (i % 4 == 0) {
        std::snprintf(name, sizeof name, "Vol%d Ch%d p%d%s", v, c, p, ext);
    } else {
        std::snprintf(name, sizeof name, "Vol%02d Ch%03d p%03d%s", v, c, p, ext);
    }
    return name;
}
}  // namespace

bool MakeBookCorpus(BookCorpus* corpus) {
    std::error_code ec;
    corpus->native = fs::temp_directory_path(ec) / "pw_book_bench_10000";
    fs::create_directories(corpus->native, ec);
    size_t existing = 0;
    for (const auto& entry : fs::directory_iterator(corpus->native, ec)) {
        (void)entry;
        ++existing;
    }
    if (existing != static_cast<size_t>(kCorpusPictures) + static_cast<size_t>(kOtherFiles)) {
        fs::remove_all(corpus->native, ec);
        fs::create_directories(corpus->native, ec);
        for (int i = 0; i < kCorpusPictures; ++i) {
            std::ofstream(corpus->native / PageName(i)).put('\0');
        }
        for (int i = 0; i < kOtherFiles; ++i) {
            std::ofstream(corpus->native / ("notes" + std::to_string(i) + ".txt")).put('\0');
        }
    }
    corpus->path = corpus->native.u16string();
    for (char16_t& ch : corpus->path) {
        if (ch == u'/') {
            ch = u'\\';
        }
    }
    return !ec;
}

void RemoveBookCorpus(const BookCorpus& corpus) {
    std::error_code ec;
    fs::remove_all(corpus.native, ec);
}

int64_t BareEnumeration(const BookCorpus& corpus) {
    DirReader reader;
    if (!reader.Open(corpus.path.c_str())) {
        return -1;
    }
    int64_t n = 0;
    DirEntry e{};
    while (reader.Next(&e)) {
        ++n;
    }
    return n;
}

int64_t BuildBookPages(const BookCorpus& corpus) {
    BookState state;
    BookInit(&state, nullptr);
    state.book.isOpen = true;
    state.book.kind = kBookFolder;
    state.book.path.Assign(corpus.path.c_str());
    BuildPageList(&state);
    int64_t n = state.pageCount;
    BookRelease(&state);
    return n;
}

int64_t SortListedPages(const BookCorpus& corpus) {
    PageListBuilder listed{nullptr, 0, false};
    (void)ListFolder(corpus.path.c_str(), &listed, ExtensionSet{nullptr, 0});
    if (listed.list == nullptr) {
        return -1;
    }
    auto t0 = std::chrono::steady_clock::now();
    SortPages(listed.list->entries, listed.count, false);
    auto t1 = std::chrono::steady_clock::now();
    FreePageList(listed.list);
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t1 - t0).count();
}
