// Turns drawn from display copies in the real windows: after a turn to a spread
// whose pages were read ahead, every screen pixel of each page equals its copy
// (placed exactly where the layout puts the page), and every pixel outside the
// pages is the background, in both stretch modes.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tests/support/book_builder.h"
#include "tests/ui/menu_test_support.h"
#include "tests/ui/process_harness.h"
#include "tests/ui/shell_fixture.h"
#include "ui/app_state.h"
#include "ui/command_table.h"
#include "ui/dispatch.h"
#include "ui/image_view.h"
#include "ui/reader.h"
#include "view/display_copy.h"

namespace {

// A 24-bit page of fine detail (so that how it is scaled shows in every pixel).
std::vector<uint8_t> DetailBmp(int width, int height, int seed) {
    std::vector<uint8_t> bytes = SolidBmp(width, height, 0);
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bytes.data() + 54 + stride * static_cast<size_t>(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<uint8_t>(x * 7 + y * 3 + seed * 50);
            row[3 * x + 1] = static_cast<uint8_t>((x ^ y) + seed);
            row[3 * x + 2] = static_cast<uint8_t>((x / 3) * (y / 5) + seed * 20);
        }
    }
    return bytes;
}

// The image view's pixels, top row first, as 0x00RRGGBB.
std::vector<uint32_t> CaptureView() {
    std::vector<uint32_t> out(static_cast<size_t>(kViewWidth) * kViewHeight);
    HDC dc = GetDC(gApp.imageView);
    HDC mem = CreateCompatibleDC(dc);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = kViewWidth;
    bi.bmiHeader.biHeight = -kViewHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr && mem != nullptr) {
        HGDIOBJ old = SelectObject(mem, bitmap);
        BitBlt(mem, 0, 0, kViewWidth, kViewHeight, dc, 0, 0, SRCCOPY);
        GdiFlush();
        const auto* p = static_cast<const uint32_t*>(bits);
        for (size_t i = 0; i < out.size(); ++i) {
            out[i] = p[i] & 0xFFFFFFu;
        }
        SelectObject(mem, old);
    }
    if (bitmap != nullptr) {
        DeleteObject(bitmap);
    }
    if (mem != nullptr) {
        DeleteDC(mem);
    }
    ReleaseDC(gApp.imageView, dc);
    return out;
}

// The copy's pixel at (x, y) from its top-left corner, as 0x00RRGGBB.
uint32_t CopyPixel(const DisplayCopy& copy, int32_t x, int32_t y) {
    const uint32_t stride = RowStride(copy.header.width, 24);
    const uint8_t* p = copy.pixels + size_t{stride} * static_cast<size_t>(copy.header.height - 1 - y) +
                       3 * static_cast<size_t>(x);
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
}

class DisplayCopyViewTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        SizeImageView(kViewWidth, kViewHeight);
        gView.prefs.spreadMode = true;
        gView.prefs.rightToLeft = true;
        gView.prefs.backgroundColour = 2;
        for (int i = 0; i < 6; ++i) {
            const std::wstring name = folder_.path() + L"\\p0" + std::to_wstring(i + 1) + L".bmp";
            ASSERT_TRUE(WriteFileBytes(name, DetailBmp(330, 450, i)));
        }
    }
    void TearDown() override {
        ApplyStretchMode(4);
        ShellTest::TearDown();
    }
    ScratchFolder folder_;
};

TEST_F(DisplayCopyViewTest, TurnFromCopiesShowsEachCopyInPlace) {
    for (int mode : {4, 3}) {
        SCOPED_TRACE(mode);
        ApplyStretchMode(mode);
        OpenPath(folder_.path());
        const PageImage* ahead = gView.cache.ahead;
        for (int i = 0; i < 300 && (ahead[0].pixels == nullptr || ahead[1].pixels == nullptr); ++i) {
            PumpFor(10);
        }
        ASSERT_NE(ahead[0].copy.pixels, nullptr);
        ASSERT_NE(ahead[1].copy.pixels, nullptr);
        Dispatch(CMD_NEXT_SPREAD, nullptr);
        PumpMessages();
        ASSERT_EQ(gView.currentIndex, 2);
        const std::vector<uint32_t> screen = CaptureView();
        std::vector<bool> onPage(screen.size(), false);
        for (const DisplaySlot* slot : {&gView.leftSlot, &gView.rightSlot}) {
            ASSERT_TRUE(CopyMatches(slot->page, slot->layout, mode));
            ASSERT_EQ(slot->page.copy.header.bitCount, 24);
            const PageLayout& L = slot->layout;
            int wrong = 0;
            for (int32_t y = 0; y < L.destHeight; ++y) {
                for (int32_t x = 0; x < L.destWidth; ++x) {
                    const size_t at =
                        static_cast<size_t>(L.destY + y) * kViewWidth + static_cast<size_t>(L.destX + x);
                    onPage[at] = true;
                    wrong += screen[at] != CopyPixel(slot->page.copy, x, y) ? 1 : 0;
                }
            }
            EXPECT_EQ(wrong, 0) << "page " << slot->page.pageIndex;
        }
        int strayStrip = 0;
        for (size_t i = 0; i < screen.size(); ++i) {
            strayStrip += !onPage[i] && screen[i] != 0x808080u ? 1 : 0;
        }
        EXPECT_EQ(strayStrip, 0);
        const std::wstring modeName = mode == 4 ? L"halftone" : L"colour-on-colour";
        SaveScreenshot(gApp.imageView, L"spread-" + modeName + L"-from-copies");

        // The same spread stretched as without copies: the background is where it
        // was; how far the two drawings of the pages differ is printed.
        ReleaseDisplayCopy(&gView.leftSlot.page);
        ReleaseDisplayCopy(&gView.rightSlot.page);
        RepaintView();
        PumpMessages();
        const std::vector<uint32_t> stretched = CaptureView();
        SaveScreenshot(gApp.imageView, L"spread-" + modeName + L"-stretched");
        int moved = 0;
        double difference = 0;
        size_t pagePixels = 0;
        for (size_t i = 0; i < screen.size(); ++i) {
            if (!onPage[i]) {
                moved += stretched[i] != 0x808080u ? 1 : 0;
                continue;
            }
            for (int shift = 0; shift < 24; shift += 8) {
                difference += std::abs(static_cast<int>((screen[i] >> shift) & 255) -
                                       static_cast<int>((stretched[i] >> shift) & 255));
            }
            ++pagePixels;
        }
        EXPECT_EQ(moved, 0);
        std::printf("stretch mode %d: copies against stretching, mean difference %.2f levels a channel\n",
                    mode, pagePixels > 0 ? difference / (3.0 * static_cast<double>(pagePixels)) : 0.0);
    }
}

}  // namespace
