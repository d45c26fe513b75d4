// The reading view over a real book: a folder of BMP files and a ZIP archive of
// the same files, listed by the book, decoded by the real decoders (at once and
// through the loader's queue), shown and turned.
#include <gtest/gtest.h>

#include "tests/support/book_fixture.h"
#include "tests/support/picture_fixtures.h"
#include "tests/support/view_fakes.h"
#include "tests/support/zip_builder.h"
#include "view/commands.h"
#include "view/navigate.h"
#include "view/page_cache.h"
#include "view/read_ahead.h"

namespace {

// A w x h BMP of one colour (24 bits, rows padded).
Bytes SolidBmp(int32_t w, int32_t h, uint8_t blue, uint8_t green, uint8_t red) {
    BmpRecipe recipe;
    recipe.width = w;
    recipe.height = h;
    const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
    recipe.pixels.assign(stride * static_cast<size_t>(h), 0);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            uint8_t* p = &recipe.pixels[static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3];
            p[0] = blue;
            p[1] = green;
            p[2] = red;
        }
    }
    return MakeBmp(recipe);
}

struct Picture {
    const char* name;
    Bytes bytes;
};

// Natural order: p1, p2, p3, p10. p3 is damaged; p10 is landscape.
std::vector<Picture> BookPictures() {
    Bytes damaged = SolidBmp(6, 8, 0, 0, 0);
    damaged.resize(20);
    return {{"p10.bmp", SolidBmp(8, 6, 40, 0, 0)},
            {"p2.bmp", SolidBmp(6, 8, 20, 0, 0)},
            {"p1.bmp", SolidBmp(6, 8, 10, 0, 0)},
            {"p3.bmp", damaged}};
}

std::u16string Wide(const char* s) {
    std::u16string out;
    for (; *s != 0; ++s) {
        out.push_back(static_cast<char16_t>(*s));
    }
    return out;
}

// The book's and the view's steps of opening, in the order of the shell's open
// sequence (the windows' steps left out).
void OpenInView(BookState* book, ReadingView* view, const OpenTarget* target) {
    BeginOpen(view);
    ResetReadAhead(view);
    BuildPageList(book);
    if (book->pages != nullptr) {
        ShowForward(view, ChooseStartPage(book, target, 0), true);
        AfterShow(view);
    } else {
        ShowEmptyView(view);
    }
    EndOpen(view);
}

// The blue of the shown page's first pixel: which file it was decoded from.
int32_t Blue(const DisplaySlot& slot) {
    return IsFull(slot.page) ? slot.page.pixels[0] : -1;
}

TEST(OpenBook, RealPicturesAreShownReadAheadAndTurned) {
    for (bool archive : {false, true}) {
        const char* name = archive ? "zip archive" : "folder";
        TempFolder folder;
        std::u16string bookPath;
        if (archive) {
            std::vector<ZipEntrySpec> entries;
            for (const Picture& p : BookPictures()) {
                ZipEntrySpec e;
                e.name = p.name;
                e.data.assign(p.bytes.begin(), p.bytes.end());
                entries.push_back(e);
            }
            ASSERT_TRUE(folder.AddBytes(u"book.zip", MakeZip(entries).bytes)) << name;
            bookPath = folder.Join(u"book.zip");
        } else {
            for (const Picture& p : BookPictures()) {
                ASSERT_TRUE(folder.AddBytes(Wide(p.name), p.bytes)) << name;
            }
            bookPath = folder.path();
        }

        FakeUi ui;
        LoaderQueue queue;
        const LoaderOps loaderOps = LoaderOpsForQueue(&queue);
        const ViewOps viewOps = ui.Ops();
        BookState book;
        ReadingView view;
        ViewInit(&view, &book, &viewOps, nullptr, &loaderOps);
        ViewPrefs prefs;
        prefs.spreadMode = true;
        prefs.rightToLeft = false;
        ApplyViewPrefs(&view, prefs);
        view.viewWidth = 1000;
        view.viewHeight = 700;
        BookInit(&book, nullptr);

        OpenTarget target;
        target.path.Assign(bookPath.c_str());
        (void)SetBook(&book, &target, 0);
        OpenInView(&book, &view, &target);
        ASSERT_EQ(book.pageCount, 4) << name;
        EXPECT_EQ(Blue(view.leftSlot), 10) << name;
        EXPECT_EQ(Blue(view.rightSlot), 20) << name;
        EXPECT_EQ(Narrow16(ui.pageText), "1+1/4") << name;

        // The loader decodes p3 (nothing comes of it) and p10.
        std::vector<std::pair<int32_t, LoadResult*>> results;
        LoaderSink sink{&results, [](void* ctx, int32_t slot, LoadResult* r) {
                            static_cast<std::vector<std::pair<int32_t, LoadResult*>>*>(ctx)->emplace_back(
                                slot, r);
                            return true;
                        }};
        EXPECT_TRUE(RunLoaderQueue(&queue, RealDecodeOps(), &sink)) << name;
        ASSERT_EQ(results.size(), 1u) << name;
        EXPECT_EQ(results[0].first, 1) << name;
        OnPageLoaded(&view, results[0].first, results[0].second);
        EXPECT_EQ(view.cache.ahead[1].pageIndex, 3) << name;
        EXPECT_EQ(view.cache.ahead[1].header.width, 8) << name;

        Navigate(&view, CMD_NEXT_SPREAD, 0);  // p3 alone: it cannot be decoded
        EXPECT_FALSE(IsFull(view.leftSlot.page)) << name;
        EXPECT_TRUE(view.cache.pageError) << name;
        EXPECT_EQ(view.currentIndex, 2) << name;
        LoaderQueueClear(&queue);
        Navigate(&view, CMD_NEXT_SPREAD, 0);  // p10, from the read-ahead slot
        EXPECT_EQ(Blue(view.leftSlot), 40) << name;
        EXPECT_FALSE(IsFull(view.rightSlot.page)) << name;
        EXPECT_FALSE(view.cache.pageError) << name;

        LoaderQueueClear(&queue);
        ReleaseAll(&view);
        BookRelease(&book);
    }
}

}  // namespace
