// The shell's open sequence in the real windows: the order of its steps seen
// from a recording file list (cursor, read-ahead reset, rows before and after the
// page list is rebuilt), what it leaves in the slider, the title and the page
// text, and the page slider of a book longer than 32,767 pages dragged to its end.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "browser/file_list.h"
#include "tests/support/book_builder.h"
#include "tests/ui/process_harness.h"
#include "tests/ui/shell_fixture.h"
#include "ui/app_state.h"
#include "ui/reader.h"

namespace {

std::vector<PageSpec> SmallPages(int count) {
    std::vector<PageSpec> pages;
    for (int i = 0; i < count; ++i) {
        PageSpec p;
        p.name = std::string("p") + std::to_string(i + 1) + ".bmp";
        p.width = 4;
        p.height = 6;
        p.colour = RGB(10 * (i % 20), 90, 40);
        pages.push_back(p);
    }
    return pages;
}

// What the file list sees of the open sequence: each call, with the state of
// the rest of the program at that moment.
struct FileListLog {
    std::vector<std::string> calls;
    bool waitCursorAtClear = false;
    uint32_t generationAtClear = 0;
    int32_t pagesAtClear = -1;     // the page count the list still had
    int32_t sliderMaxAtRows = -1;  // the slider's range while rows are made
    int32_t pagesAtRows = -1;

    FileListOps Ops() {
        FileListOps ops{};
        ops.context = this;
        ops.clear = [](void* ctx) {
            auto* log = static_cast<FileListLog*>(ctx);
            log->calls.push_back("clear");
            log->waitCursorAtClear = GetCursor() == gApp.waitCursor;
            log->generationAtClear = gView.cache.generation;
            log->pagesAtClear = gBook.pageCount;
        };
        ops.insertRow = [](void* ctx, int32_t index, int32_t) {
            auto* log = static_cast<FileListLog*>(ctx);
            log->calls.push_back(std::string("row ") + std::to_string(index));
            log->pagesAtRows = gBook.pageCount;
            log->sliderMaxAtRows = static_cast<int32_t>(SendMessageW(gApp.pageSlider, TBM_GETRANGEMAX, 0, 0));
        };
        ops.setColumnWidth = [](void* ctx, int32_t) {
            static_cast<FileListLog*>(ctx)->calls.push_back("width");
        };
        return ops;
    }
};

std::string WindowTitle() {
    return Narrow(WindowText(gApp.mainWindow));
}

int32_t SliderMin() {
    return static_cast<int32_t>(SendMessageW(gApp.pageSlider, TBM_GETRANGEMIN, 0, 0));
}

int32_t SliderMax() {
    return static_cast<int32_t>(SendMessageW(gApp.pageSlider, TBM_GETRANGEMAX, 0, 0));
}

class ReaderOpenTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        gView.prefs.spreadMode = true;
        gView.prefs.rightToLeft = true;
    }
    // The pane's own list publishes again for the tests after this one.
    void TearDown() override { gFileListOps = FileListOpsFor(gApp.fileList); }
    std::wstring Cbz(const wchar_t* name, int pages) {
        std::wstring path = folder_.path() + L"\\" + name;
        EXPECT_TRUE(WriteCbz(path, SmallPages(pages), nullptr));
        return path;
    }
    ScratchFolder folder_;
};

TEST_F(ReaderOpenTest, StepsRunInOrderAndLeaveTheWindowsInStep) {
    const std::wstring first = Cbz(L"first.cbz", 2);
    const std::wstring second = Cbz(L"second.cbz", 6);
    OpenPath(first);
    ASSERT_EQ(gBook.pageCount, 2);

    FileListLog log;
    gFileListOps = log.Ops();
    const uint32_t generation = gView.cache.generation;
    OpenPath(second);
    const std::vector<std::string> want = {"clear", "row 0", "row 1", "row 2",
                                           "row 3", "row 4", "row 5", "width"};
    EXPECT_EQ(log.calls, want);
    // The wait cursor and the read-ahead reset come first; the rows go while the
    // old list still stands, the new rows come before the slider learns the count.
    EXPECT_TRUE(log.waitCursorAtClear);
    EXPECT_EQ(log.generationAtClear, generation + 1);
    EXPECT_EQ(log.pagesAtClear, 2);
    EXPECT_EQ(log.pagesAtRows, 6);
    EXPECT_EQ(log.sliderMaxAtRows, 2);
    // Afterwards: the slider's range, the title, the first spread with its text,
    // and the arrow cursor back.
    EXPECT_EQ(SliderMin(), 1);
    EXPECT_EQ(SliderMax(), 6);
    EXPECT_EQ(WindowTitle(), Narrow(second));
    EXPECT_EQ(Narrow(PageText()), "1+1/6");
    EXPECT_EQ(gView.currentIndex, 0);
    EXPECT_EQ(gView.endIndex, 2);
    EXPECT_EQ(GetCursor(), gApp.arrowCursor);

    // A picture of the book names the page to start at.
    const std::wstring folder = folder_.path() + L"\\pictures";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(WriteFolderBook(folder, SmallPages(5)));
    ReaderOpenChosen(reinterpret_cast<const char16_t*>((folder + L"\\p3.bmp").c_str()));
    PumpMessages();
    EXPECT_EQ(WindowTitle(), Narrow(folder));
    EXPECT_EQ(Narrow(PageText()), "3+1/5");
    EXPECT_EQ(gView.currentIndex, 2);

    // A book that is gone: the rows go, no new ones, an empty slider and view,
    // and the title is the (empty) path of the book that could not be had.
    log.calls.clear();
    ReaderOpenChosen(reinterpret_cast<const char16_t*>((folder_.path() + L"\\gone.cbz").c_str()));
    PumpMessages();
    EXPECT_EQ(log.calls, std::vector<std::string>{"clear"});
    EXPECT_EQ(SliderMin(), 0);
    EXPECT_EQ(SliderMax(), 0);
    EXPECT_EQ(WindowTitle(), "");
    EXPECT_EQ(Narrow(PageText()), "0/0");
    EXPECT_EQ(gView.currentIndex, 0);
    EXPECT_EQ(gView.endIndex, 0);
}

// The slider's notifications carry 16 bits of position; a book past 32,767 pages
// must still follow the thumb to its last page and land there.
TEST_F(ReaderOpenTest, SliderDragsToTheEndOfAFortyThousandPageBook) {
    constexpr int kPages = 40000;
    OpenPath(Cbz(L"long.cbz", kPages));
    ASSERT_EQ(gBook.pageCount, kPages);
    ASSERT_EQ(SliderMax(), kPages);
    RECT thumb{};
    SendMessageW(gApp.pageSlider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    RECT slider{};
    GetClientRect(gApp.pageSlider, &slider);
    const int y = (thumb.top + thumb.bottom) / 2;
    SendMessageW(gApp.pageSlider, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((thumb.left + thumb.right) / 2, y));
    // Far past the channel's end: the thumb stops at the last page.
    SendMessageW(gApp.pageSlider, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(slider.right + 200, y));
    EXPECT_EQ(Narrow(PageText()), "40000/40000") << "the text follows the thumb";
    EXPECT_EQ(gView.currentIndex, 0) << "the view waits for the release";
    SendMessageW(gApp.pageSlider, WM_LBUTTONUP, 0, MAKELPARAM(slider.right + 200, y));
    PumpMessages();
    EXPECT_EQ(gView.currentIndex, kPages - 1);
    EXPECT_EQ(Narrow(PageText()), "40000/40000");
    EXPECT_EQ(SendMessageW(gApp.pageSlider, TBM_GETPOS, 0, 0), kPages);
}

}  // namespace
