// Pictures too large for the platform's stretch, painted by the real image view
// after a normal page: the view shows the large picture (from a reduced copy) or
// the background, and never a pixel of the page shown before. One large picture
// is alive at a time; each is freed before the next is made.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/heap.h"
#include "platform/vm.h"
#include "tests/support/book_builder.h"
#include "tests/ui/process_harness.h"
#include "tests/ui/shell_fixture.h"
#include "ui/app_state.h"
#include "ui/gdi_owner.h"
#include "ui/image_view.h"
#include "ui/reader.h"
#include "view/layout.h"
#include "view/page_image.h"

namespace {

constexpr COLORREF kPrevious = RGB(200, 30, 200);
constexpr COLORREF kLeftColour = RGB(200, 30, 30);
constexpr COLORREF kRightColour = RGB(30, 30, 200);

using MemoryDc = UserObject<HDC, DeleteDC>;

// The image view as painted, read back through a 32-bit top-down bitmap.
std::vector<COLORREF> Snapshot() {
    std::vector<COLORREF> out;
    WindowDc view(gApp.imageView);
    MemoryDc mem(CreateCompatibleDC(view.get()));
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = kViewWidth;
    bi.bmiHeader.biHeight = -kViewHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    BitmapOwner bitmap(CreateDIBSection(mem.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap.valid()) {
        return out;
    }
    {
        SelectGuard select(mem.get(), bitmap.get());
        BitBlt(mem.get(), 0, 0, kViewWidth, kViewHeight, view.get(), 0, 0, SRCCOPY);
        GdiFlush();
        const auto* p = static_cast<const uint32_t*>(bits);
        for (int i = 0; i < kViewWidth * kViewHeight; ++i) {
            // 0x00RRGGBB in the bitmap; COLORREF is 0x00BBGGRR.
            out.push_back(RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF));
        }
    }
    return out;
}

int CountOf(const std::vector<COLORREF>& shot, COLORREF c) {
    int n = 0;
    for (COLORREF p : shot) {
        n += p == c ? 1 : 0;
    }
    return n;
}

// A picture of width x height, its left half in kLeftColour and its right half
// in kRightColour (palette entries 1 and 2 at 8 bits). Rows are filled by
// copying one prepared row, so even 2 GB take a moment only.
bool MakeHalves(PageImage* page, int32_t width, int32_t height, uint16_t bits) {
    *page = PageImage{};
    const uint32_t stride = RowStride(width, bits);
    page->pixels = static_cast<uint8_t*>(VmAlloc(size_t{stride} * static_cast<size_t>(height) + 4));
    if (page->pixels == nullptr) {
        return false;
    }
    page->header = BitmapInfoHeader{40, width, height, 1, bits, 0, 0, 0, 0, 0, 0};
    page->palette[1] = RgbQuad{GetBValue(kLeftColour), GetGValue(kLeftColour), GetRValue(kLeftColour), 0};
    page->palette[2] = RgbQuad{GetBValue(kRightColour), GetGValue(kRightColour), GetRValue(kRightColour), 0};
    uint8_t* row = page->pixels;
    for (int32_t x = 0; x < width; ++x) {
        const COLORREF c = x < width / 2 ? kLeftColour : kRightColour;
        if (bits == 8) {
            row[x] = x < width / 2 ? 1 : 2;
        } else {
            row[3 * x] = GetBValue(c);
            row[3 * x + 1] = GetGValue(c);
            row[3 * x + 2] = GetRValue(c);
        }
    }
    for (int32_t y = 1; y < height; ++y) {
        std::memcpy(page->pixels + size_t{stride} * static_cast<size_t>(y), row, stride);
    }
    return true;
}

class HugePageTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        SizeImageView(kViewWidth, kViewHeight);
        gView.prefs.spreadMode = false;
        gView.prefs.backgroundColour = 2;
    }
    void TearDown() override { gView.prefs.spreadMode = true; }
    ScratchFolder folder_;
};

TEST_F(HugePageTest, NothingOfThePreviousPageStays) {
    struct Case {
        const char* name;
        int32_t width;
        int32_t height;
        uint16_t bits;
        bool failMemory;  // no room even for the reduced copy
    };
    static const Case kCases[] = {
        {"24-bit 26000 x 27000", 26000, 27000, 24, false},
        {"8-bit 33000 x 33000", 33000, 33000, 8, false},
        {"8-bit 33000 wide, short", 33000, 2000, 8, false},
        {"8-bit past the bound, no memory for a copy", 23200, 23200, 8, true},
    };
    std::vector<PageSpec> pages(1);
    pages[0].name = "p01.bmp";
    pages[0].colour = kPrevious;
    pages[0].width = 300;
    pages[0].height = 400;
    const std::wstring path = folder_.path() + L"\\book.cbz";
    ASSERT_TRUE(WriteCbz(path, pages, nullptr));
    OpenPath(path);
    ASSERT_TRUE(IsFull(gView.leftSlot.page));
    PageImage shown{};
    for (const Case& c : kCases) {
        RepaintView();
        ASSERT_GT(CountOf(Snapshot(), kPrevious), 100000) << c.name << ": the normal page first";

        MovePageImage(&shown, &gView.leftSlot.page);
        PageImage huge{};
        ASSERT_TRUE(MakeHalves(&huge, c.width, c.height, c.bits)) << c.name;
        MovePageImage(&gView.leftSlot.page, &huge);
        LayoutView(&gView, false, false);
        const PageLayout layout = gView.leftSlot.layout;
        if (c.failMemory) {
            AppHeapFailAfter(0);
        }
        RepaintView();
        AppHeapFailAfter(-1);
        const std::vector<COLORREF> shot = Snapshot();
        // The large picture goes at once, before the next case makes another.
        ReleasePageImage(&gView.leftSlot.page);
        MovePageImage(&gView.leftSlot.page, &shown);
        LayoutView(&gView, false, false);

        ASSERT_EQ(shot.size(), size_t{kViewWidth} * kViewHeight) << c.name;
        EXPECT_EQ(CountOf(shot, kPrevious), 0) << c.name;
        const int y = layout.destY + layout.destHeight / 2;
        const int leftX = layout.destX + layout.destWidth / 4;
        const int rightX = layout.destX + layout.destWidth * 3 / 4;
        if (c.failMemory) {
            // The background where the page would be (the error text, when there
            // is memory for it, runs across the middle line only).
            EXPECT_EQ(CountOf(shot, kLeftColour) + CountOf(shot, kRightColour), 0) << c.name;
            EXPECT_EQ(Hex(shot[static_cast<size_t>((layout.destY + 5) * kViewWidth + leftX)]), Hex(kGrey))
                << c.name;
            EXPECT_EQ(Hex(shot[static_cast<size_t>((layout.destY + 5) * kViewWidth + rightX)]), Hex(kGrey))
                << c.name;
        } else {
            EXPECT_EQ(Hex(shot[static_cast<size_t>(y * kViewWidth + leftX)]), Hex(kLeftColour)) << c.name;
            EXPECT_EQ(Hex(shot[static_cast<size_t>(y * kViewWidth + rightX)]), Hex(kRightColour)) << c.name;
            EXPECT_EQ(Hex(shot[static_cast<size_t>(5 * kViewWidth + 5)]), Hex(kGrey)) << c.name;
        }
    }
    RepaintView();
}

}  // namespace
