// Timing of the reading view in the real windows, in one run:
//  1. a page turn whose pages were read ahead, in a 1920 x 1080 image view with
//     2400 x 3400 pages, in both stretch modes: from the command to its end (the
//     tool bar and file list updated) and to the end of its synchronous repaint
//     (the page on screen), with the display copies the loader made and with
//     those copies taken away (the stretching turn), and with copies but
//     every block fresh (no reserve, as before blocks were kept), next to a
//     bare StretchDIBits of the same two rectangles on the same device context
//     (the floor a stretching turn pays) and a bare 1:1 SetDIBitsToDevice of the whole view
//     (the floor a turn from copies pays), and their ratios; and a repaint of
//     the view just turned to (the drawing alone, without the turn's bookkeeping),
//     and the mean time per turn of each window and loader operation it calls;
//  2. open to first paint of a 300-page CBZ made of the sample book's JPEG pages;
//  3. both again in halftone mode with the picture budget off and no header
//     probes (the reader as it was before either), and the ratios;
//  4. held-down turning: a 300-page folder of 2400 x 3400 JPEG pages, 60 spread
//     turns sent as fast as the window takes them (each turn dispatched, then
//     the queue pumped), pages shown a second against the loader's bare decode
//     rate of the same pages (DecodePage alone, one after another), with the
//     blocks kept for reuse and without, and the process's peak committed memory
//     against the bound (seven pictures and their copies plus the reserve).
// Medians of repeated rounds. Writes its books into a temporary folder and
// removes them at the end.
#include <windows.h>

#include <objbase.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "decode/block_reserve.h"
#include "decode/picture_blocks.h"
#include "decode/picture_limit.h"
#include "platform/heap.h"
#include "platform/lock.h"
#include "settings/language.h"
#include "settings/settings.h"
#include "tests/support/zip_builder.h"
#include "ui/app_state.h"
#include "ui/command_table.h"
#include "ui/dispatch.h"
#include "ui/image_view.h"
#include "ui/reader.h"
#include "ui/startup.h"
#include "view/loader.h"
#include "view/navigate.h"
#include "view/page_image.h"

namespace {

constexpr int kViewWidth = 1920;
constexpr int kViewHeight = 1080;
constexpr int kPageWidth = 2400;
constexpr int kPageHeight = 3400;
constexpr int kBigPages = 6;
constexpr int kTurnRounds = 12;
constexpr int kOpenPages = 300;
constexpr int kOpenRounds = 9;

using Clock = std::chrono::steady_clock;

// The reader as it was before the picture budget and the header probes.
bool gUnbounded = false;
DecodeOps gProbeless{};

void SetUnbounded(bool unbounded, uint64_t budget) {
    gUnbounded = unbounded;
    gProbeless = *RealDecodeOps();
    gProbeless.probeFile = nullptr;
    gProbeless.probeMemory = nullptr;
    gView.decode = unbounded ? &gProbeless : RealDecodeOps();
    SetPictureByteLimit(unbounded ? 0 : budget);
}

const char* ConfigName() {
    return gUnbounded ? ", budget off, no probes" : "";
}

double Ms(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

double Median(std::vector<double> v) {
    if (v.empty()) {
        return 0;
    }
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

bool WriteBytes(const std::wstring& path, const void* data, size_t n) {
    HANDLE f =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    bool ok = WriteFile(f, data, static_cast<DWORD>(n), &written, nullptr) && written == n;
    CloseHandle(f);
    return ok;
}

bool ReadBytes(const std::wstring& path, std::string* out) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(f, &size) != 0;
    if (ok) {
        out->resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        ok = ReadFile(f, out->data(), static_cast<DWORD>(out->size()), &got, nullptr) && got == out->size();
    }
    CloseHandle(f);
    return ok;
}

// A 24-bit page with diagonal bands, so that the stretch has real work to do.
bool WriteBigPage(const std::wstring& path, int seed) {
    const uint32_t stride = (kPageWidth * 3 + 3) & ~3u;
    std::vector<uint8_t> file(54 + static_cast<size_t>(stride) * kPageHeight);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            file[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
        }
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, kPageWidth);
    put32(22, kPageHeight);
    file[26] = 1;
    file[28] = 24;
    for (int y = 0; y < kPageHeight; ++y) {
        uint8_t* row = file.data() + 54 + static_cast<size_t>(stride) * static_cast<size_t>(y);
        for (int x = 0; x < kPageWidth; ++x) {
            row[x * 3] = static_cast<uint8_t>((x + y + seed * 40) / 7);
            row[x * 3 + 1] = static_cast<uint8_t>((x * 3 - y) / 11 + seed * 30);
            row[x * 3 + 2] = static_cast<uint8_t>((y / 5) ^ (x / 9));
        }
    }
    return WriteBytes(path, file.data(), file.size());
}

void SizeImageView(int width, int height) {
    RECT r{0, 0, width, height + kBarHeight};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(gApp.mainWindow, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(gApp.mainWindow, GWL_EXSTYLE)));
    SetWindowPos(gApp.mainWindow, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOZORDER);
    Pump();
}

bool AheadHolds(int32_t a, int32_t b) {
    const PageImage* s = gView.cache.ahead;
    auto holds = [&](int32_t i) {
        return (s[0].pixels != nullptr && s[0].pageIndex == i) ||
               (s[1].pixels != nullptr && s[1].pageIndex == i);
    };
    return holds(a) && holds(b);
}

// The same two stretches the paint makes for the shown spread, and nothing else.
void BareStretch() {
    const DisplaySlot* slots[2] = {&gView.leftSlot, &gView.rightSlot};
    for (const DisplaySlot* s : slots) {
        const PageLayout& L = s->layout;
        StretchDIBits(gApp.imageDc, L.destX, L.destY, L.destWidth, L.destHeight, L.srcX,
                      s->page.header.height - L.srcY - L.srcHeight, L.srcWidth, L.srcHeight, s->page.pixels,
                      reinterpret_cast<const BITMAPINFO*>(&s->page.header), DIB_RGB_COLORS, SRCCOPY);
    }
    GdiFlush();
}

// A 1:1 transfer of a 24-bit picture the size of the whole view.
void BareTransfer(const std::vector<uint8_t>& pixels) {
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = kViewWidth;
    h.biHeight = kViewHeight;
    h.biPlanes = 1;
    h.biBitCount = 24;
    SetDIBitsToDevice(gApp.imageDc, 0, 0, kViewWidth, kViewHeight, 0, 0, 0, kViewHeight, pixels.data(),
                      reinterpret_cast<const BITMAPINFO*>(&h), DIB_RGB_COLORS);
    GdiFlush();
}

// Where a turn's time goes: every view and loader operation the turn calls is
// wrapped with a timer (the shell's own entry called inside it), and the
// totals per turn are printed beside the turn's whole time.
struct StepTimers {
    ViewOps view;
    LoaderOps loader;
    double ms[12];
    int calls[12];
    bool on;
    Clock::time_point painted;  // when the turn's last repaint returned
};
StepTimers gSteps{};
const char* const kStepNames[] = {"repaint",       "page text",   "slider",     "list row redraw",
                                  "list select",   "list scroll", "cursor",     "loader priority",
                                  "loader cancel", "loader post", "await page", "loader busy bytes"};

template <int K, typename F, typename... A>
auto Timed(F f, A... a) {
    const auto t0 = Clock::now();
    struct Add {
        std::chrono::steady_clock::time_point t0;
        ~Add() {
            if (gSteps.on) {
                gSteps.calls[K]++;
                gSteps.ms[K] += std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
            }
        }
    } add{t0};
    return f(a...);
}

void WrapSteps() {
    gSteps.view = gView.ops;
    gSteps.loader = gView.loader;
    ViewOps& v = gView.ops;
    v.update = [](void* c) {
        Timed<0>(gSteps.view.update, c);
        gSteps.painted = Clock::now();
    };
    v.setPageText = [](void* c, const char16_t* t) { Timed<1>(gSteps.view.setPageText, c, t); };
    v.setSliderPosition = [](void* c, int32_t p) { Timed<2>(gSteps.view.setSliderPosition, c, p); };
    v.redrawFileListRow = [](void* c, int32_t r) { Timed<3>(gSteps.view.redrawFileListRow, c, r); };
    v.selectFileListRow = [](void* c, int32_t r) { Timed<4>(gSteps.view.selectFileListRow, c, r); };
    v.scrollFileListTo = [](void* c, int32_t r) { Timed<5>(gSteps.view.scrollFileListTo, c, r); };
    v.setCursor = [](void* c, ViewCursor k) { Timed<6>(gSteps.view.setCursor, c, k); };
    LoaderOps& l = gView.loader;
    l.setPriority = [](void* c, LoaderPriority p) { Timed<7>(gSteps.loader.setPriority, c, p); };
    l.postCancel = [](void* c) { return Timed<8>(gSteps.loader.postCancel, c); };
    l.postLoad = [](void* c, int32_t s, LoadRequest* r) { return Timed<9>(gSteps.loader.postLoad, c, s, r); };
    if (l.awaitPage != nullptr) {
        l.awaitPage = [](void* c, uint32_t g, int32_t i) {
            return Timed<10>(gSteps.loader.awaitPage, c, g, i);
        };
    }
    if (l.busyBytes != nullptr) {
        l.busyBytes = [](void* c) { return Timed<11>(gSteps.loader.busyBytes, c); };
    }
}

void UnwrapSteps() {
    gView.ops = gSteps.view;
    gView.loader = gSteps.loader;
}

bool AheadHasCopies() {
    return gView.cache.ahead[0].copy.pixels != nullptr && gView.cache.ahead[1].copy.pixels != nullptr;
}

// withCopies false: the read-ahead pages' copies are released before the turn,
// so that it stretches as a turn whose copies are not ready does.
double TimeTurns(const std::wstring& folder, bool withCopies, const std::vector<uint8_t>& viewPixels) {
    ReaderOpenPath(reinterpret_cast<const char16_t*>(folder.c_str()), 0);
    std::vector<double> turns;
    std::vector<double> bare;
    std::vector<double> transfer;
    std::vector<double> repaints;
    int missed = 0;
    int copyless = 0;
    WrapSteps();
    gSteps = StepTimers{gSteps.view, gSteps.loader, {}, {}, false, {}};
    std::vector<double> painted;
    for (int round = 0; round < kTurnRounds; ++round) {
        Navigate(&gView, CMD_GOTO_PAGE, 0);
        for (int turn = 0; turn < kBigPages / 2 - 1; ++turn) {
            const int32_t next = gView.endIndex;
            const auto waitStart = Clock::now();
            while (!AheadHolds(next, next + 1) && Ms(waitStart, Clock::now()) < 20000) {
                Pump();
                Sleep(1);
            }
            if (!AheadHolds(next, next + 1)) {
                ++missed;
                continue;
            }
            if (!withCopies) {
                ReleaseDisplayCopy(&gView.cache.ahead[0]);
                ReleaseDisplayCopy(&gView.cache.ahead[1]);
            } else if (!AheadHasCopies()) {
                ++copyless;
            }
            gSteps.on = true;
            const auto t0 = Clock::now();
            gSteps.painted = t0;
            Dispatch(CMD_NEXT_SPREAD, nullptr);
            GdiFlush();
            const auto t1 = Clock::now();
            gSteps.on = false;
            painted.push_back(Ms(t0, gSteps.painted));
            turns.push_back(Ms(t0, t1));
            const auto p0 = Clock::now();
            RepaintView();
            GdiFlush();
            const auto p1 = Clock::now();
            repaints.push_back(Ms(p0, p1));
            const auto b0 = Clock::now();
            BareStretch();
            const auto b1 = Clock::now();
            bare.push_back(Ms(b0, b1));
            const auto c0 = Clock::now();
            BareTransfer(viewPixels);
            const auto c1 = Clock::now();
            transfer.push_back(Ms(c0, c1));
        }
    }
    UnwrapSteps();
    const double t = Median(turns);
    const double b = Median(bare);
    const double c = Median(transfer);
    std::printf("page turn, read ahead, %s, %s (%dx%d view, %dx%d pages, stretch mode %d%s)\n",
                withCopies ? "from display copies" : "copies taken away",
                PictureReserve()->ceiling == 0 ? "fresh blocks" : "blocks kept for reuse", kViewWidth,
                kViewHeight, kPageWidth, kPageHeight, gView.prefs.stretchMode, ConfigName());
    std::printf("  command to end of repaint  %8.2f ms  (median of %zu)\n", t, turns.size());
    std::printf("  repaint of the same view   %8.2f ms\n", Median(repaints));
    std::printf("  bare StretchDIBits x2      %8.2f ms\n", b);
    std::printf("  bare 1:1 of the whole view %8.2f ms\n", c);
    std::printf("  ratio turn/bare stretch    %8.2f\n", b > 0 ? t / b : 0.0);
    std::printf("  ratio turn/bare 1:1        %8.2f\n", c > 0 ? t / c : 0.0);
    // The page is on screen when the turn's repaint returns; the tool bar and
    // the file list follow it.
    const double p = Median(painted);
    std::printf("  command to the view painted %7.2f ms, ratio to bare stretch %.2f, to bare 1:1 %.2f\n", p,
                b > 0 ? p / b : 0.0, c > 0 ? p / c : 0.0);
    std::printf("  steps, mean per turn:");
    double total = 0;
    for (size_t k = 0; k < std::size(kStepNames); ++k) {
        const double mean = turns.empty() ? 0 : gSteps.ms[k] / static_cast<double>(turns.size());
        total += mean;
        if (mean >= 0.005) {
            std::printf(" %s %.2f (%d);", kStepNames[k], mean, gSteps.calls[k]);
        }
    }
    double sum = 0;
    for (double ms : turns) {
        sum += ms;
    }
    std::printf(" the rest %.2f ms (of a mean turn of %.2f ms)\n",
                turns.empty() ? 0 : sum / static_cast<double>(turns.size()) - total,
                turns.empty() ? 0 : sum / static_cast<double>(turns.size()));
    if (missed > 0) {
        std::printf("  (%d turns skipped: read-ahead not ready)\n", missed);
    }
    if (copyless > 0) {
        std::printf("  (%d turns had no display copies ready)\n", copyless);
    }
    return t;
}

double TimeOpen(const std::wstring& work, const std::wstring& sample) {
    std::vector<std::string> jpegs;
    for (int i = 1; i <= 12; ++i) {
        wchar_t name[16];
        std::swprintf(name, 16, L"\\p%02d.jpg", i);
        std::string bytes;
        if (!ReadBytes(sample + name, &bytes)) {
            std::printf("open to first paint: sample page %ls not found (pass the sample folder)\n", name);
            return 0;
        }
        jpegs.push_back(std::move(bytes));
    }
    std::vector<ZipEntrySpec> entries;
    for (int i = 0; i < kOpenPages; ++i) {
        ZipEntrySpec e;
        char name[16];
        std::snprintf(name, sizeof name, "p%03d.jpg", i + 1);
        e.name = name;
        // The sample's portrait pages only, so the first view is a spread.
        e.data = jpegs[static_cast<size_t>(i % 12 == 6 ? 0 : i % 12)];
        e.method = 0;
        entries.push_back(std::move(e));
    }
    ZipImage zip = MakeZip(entries);
    const std::wstring books[2] = {work + L"\\open-a.cbz", work + L"\\open-b.cbz"};
    for (const std::wstring& b : books) {
        if (!WriteBytes(b, zip.bytes.data(), zip.bytes.size())) {
            return 0;
        }
    }
    SizeImageView(kViewWidth, kViewHeight);
    std::vector<double> opens;
    for (int round = 0; round < kOpenRounds + 1; ++round) {
        Pump();
        const auto t0 = Clock::now();
        ReaderOpenPath(reinterpret_cast<const char16_t*>(books[round % 2].c_str()), 0);
        GdiFlush();
        const auto t1 = Clock::now();
        if (round > 0) {  // the first one warms the file cache
            opens.push_back(Ms(t0, t1));
        }
    }
    std::printf("open to first paint, %d-page CBZ of %zu-byte JPEG pages (1200x1700%s)\n", gBook.pageCount,
                zip.bytes.size() / kOpenPages, ConfigName());
    std::printf("  open, list, decode two pages, paint  %8.2f ms  (median of %zu)\n", Median(opens),
                opens.size());
    for (const std::wstring& b : books) {
        DeleteFileW(b.c_str());
    }
    return Median(opens);
}

void Ratio(const char* what, double now, double before) {
    std::printf("  ratio %-38s %6.2f  (%.2f ms against %.2f ms)\n", what, before > 0 ? now / before : 0.0,
                now, before);
}

std::wstring WinePath(const char* unixPath) {
    std::wstring out = L"Z:";
    for (const char* c = unixPath; *c != 0; ++c) {
        out += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    }
    return out;
}

uint64_t PeakCommitted() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) ? counters.PeakPagefileUsage
                                                                                 : 0;
}

// Pages a second the loader decodes the book's first pages at, one after another.
double BareDecodeRate(const std::wstring& folder, int pages) {
    const auto t0 = Clock::now();
    int decoded = 0;
    for (int i = 0; i < pages; ++i) {
        wchar_t name[24];
        std::swprintf(name, 24, L"\\p%03d.jpg", i + 1);
        const std::wstring path = folder + name;
        LoadRequest request;
        request.kind = 0;
        request.path.Assign(reinterpret_cast<const char16_t*>(path.c_str()));
        PageImage page{};
        decoded += DecodePage(RealDecodeOps(), request, &page) ? 1 : 0;
        ReleasePageImage(&page);
    }
    const double ms = Ms(t0, Clock::now());
    return decoded == pages && ms > 0 ? pages * 1000.0 / ms : 0;
}

void TimeHeldDown(const std::wstring& work) {
    constexpr int kHeldPages = 300;
    constexpr int kHeldTurns = 60;
    const std::wstring folder = work + L"\\held";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring sources[2] = {WinePath(PW_HELD_PAGES "/a.jpg"), WinePath(PW_HELD_PAGES "/b.jpg")};
    for (int i = 0; i < kHeldPages; ++i) {
        wchar_t name[24];
        std::swprintf(name, 24, L"\\p%03d.jpg", i + 1);
        if (!CopyFileW(sources[i % 2].c_str(), (folder + name).c_str(), FALSE)) {
            std::printf("held-down turning: the JPEG pages were not made (%ls)\n", sources[i % 2].c_str());
            return;
        }
    }
    SizeImageView(kViewWidth, kViewHeight);
    const int probePages = 16;
    BareDecodeRate(folder, 2);  // warms the file cache and the decoder
    for (bool reuse : {false, true}) {
        const double bare = BareDecodeRate(folder, probePages);
        ReaderOpenPath(reinterpret_cast<const char16_t*>(folder.c_str()), 0);
        // Without reuse every block is fresh and freed, as before blocks were kept.
        ReserveSetCeiling(PictureReserve(), reuse ? UINT64_MAX : 0);
        const auto wait0 = Clock::now();
        while (!AheadHolds(gView.endIndex, gView.endIndex + 1) && Ms(wait0, Clock::now()) < 20000) {
            Pump();
            Sleep(1);
        }
        const BlockReserveCounts before = ReserveCounts(PictureReserve());
        int shown = 0;
        const auto t0 = Clock::now();
        for (int turn = 0; turn < kHeldTurns; ++turn) {
            Dispatch(CMD_NEXT_SPREAD, nullptr);
            GdiFlush();
            Pump();
            shown += (gView.leftSlot.page.pixels != nullptr ? 1 : 0) +
                     (gView.rightSlot.page.pixels != nullptr ? 1 : 0);
        }
        const double ms = Ms(t0, Clock::now());
        const BlockReserveCounts after = ReserveCounts(PictureReserve());
        const double rate = ms > 0 ? shown * 1000.0 / ms : 0;
        std::printf("held-down turning, %d-page folder of 2400x3400 JPEG pages, %d spread turns, %s\n",
                    kHeldPages, kHeldTurns, reuse ? "blocks kept for reuse" : "fresh blocks (no reserve)");
        std::printf("  pages shown %d in %8.1f ms: %6.2f pages/s; bare decode %6.2f pages/s; ratio %.2f\n",
                    shown, ms, rate, bare, bare > 0 ? rate / bare : 0.0);
        std::printf("  blocks: %llu fresh, %llu reused\n",
                    static_cast<unsigned long long>(after.fresh - before.fresh),
                    static_cast<unsigned long long>(after.reused - before.reused));
        ReserveSetCeiling(PictureReserve(), UINT64_MAX);
    }
    const uint64_t picture = uint64_t{(kPageWidth * 3 + 3) & ~3} * kPageHeight + 4;
    const uint64_t copy = uint64_t{(kViewWidth / 2 * 3 + 3) & ~3} * kViewHeight + 4;
    const uint64_t bound = 7 * (picture + copy) + 2 * 2 * (picture + copy);
    std::printf("  peak committed memory %.1f MB; pictures, copies and reserve may take %.1f MB\n",
                static_cast<double>(PeakCommitted()) / 1048576.0, static_cast<double>(bound) / 1048576.0);
    ReaderOpenPath(reinterpret_cast<const char16_t*>(work.c_str()), 0);
    for (int i = 0; i < kHeldPages; ++i) {
        wchar_t name[24];
        std::swprintf(name, 24, L"\\p%03d.jpg", i + 1);
        DeleteFileW((folder + name).c_str());
    }
    RemoveDirectoryW(folder.c_str());
}

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path, n);
    return s.substr(0, s.find_last_of(L'\\'));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (!AppHeapCreate()) {
        return 1;
    }
    AppLockInit();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    gApp.instance = GetModuleHandleW(nullptr);
    if (!LoadLanguage(&gSettings.languageFile) || CreateUserInterface(SW_SHOWNORMAL) == nullptr) {
        std::fputs("cannot start the windows (English.dll beside the program?)\n", stderr);
        return 1;
    }
    SizeImageView(kViewWidth, kViewHeight);
    RECT view;
    GetClientRect(gApp.imageView, &view);
    std::printf("image view %ldx%ld\n", view.right, view.bottom);

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring work =
        std::wstring(temp) + L"pw-view-timing-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(work.c_str(), nullptr);
    const std::wstring big = work + L"\\big";
    CreateDirectoryW(big.c_str(), nullptr);
    bool ok = true;
    for (int i = 0; i < kBigPages && ok; ++i) {
        ok = WriteBigPage(big + L"\\page" + std::to_wstring(i + 1) + L".bmp", i);
    }
    std::vector<uint8_t> viewPixels(static_cast<size_t>(kViewWidth) * 3 * kViewHeight);
    for (size_t i = 0; i < viewPixels.size(); ++i) {
        viewPixels[i] = static_cast<uint8_t>(i * 7 / 5);
    }
    if (ok) {
        for (int mode : {4, 3}) {  // halftone, the default; then colour on colour
            ApplyStretchMode(mode);
            // The same turns with every block fresh and freed, as before blocks were kept.
            ReserveSetCeiling(PictureReserve(), 0);
            TimeTurns(big, true, viewPixels);
            ReserveSetCeiling(PictureReserve(), UINT64_MAX);
            TimeTurns(big, true, viewPixels);
            TimeTurns(big, false, viewPixels);
        }
        ApplyStretchMode(4);
    }
    const std::wstring sample = argc > 1 ? argv[1] : ProgramFolder() + L"\\..\\sample\\Sample";
    const double open = TimeOpen(work, sample);
    // Normal books against the reader without the budget and the probes, the
    // two taken in turns so that the machine's load falls on both alike.
    const uint64_t budget = PictureByteLimit();
    std::vector<double> turn;
    std::vector<double> turnBefore;
    std::vector<double> openNow{open};
    std::vector<double> openBefore;
    for (int round = 0; round < 3 && ok; ++round) {
        SetUnbounded(true, budget);
        turnBefore.push_back(TimeTurns(big, true, viewPixels));
        openBefore.push_back(TimeOpen(work, sample));
        SetUnbounded(false, budget);
        turn.push_back(TimeTurns(big, true, viewPixels));
        openNow.push_back(TimeOpen(work, sample));
    }
    std::printf("normal books with the budget and probes, against without (medians of the rounds)\n");
    Ratio("page turn (from display copies)", Median(turn), Median(turnBefore));
    Ratio("open to first paint", Median(openNow), Median(openBefore));
    TimeHeldDown(work);

    SendMessageW(gApp.mainWindow, WM_CLOSE, 0, 0);
    for (int i = 0; i < kBigPages; ++i) {
        DeleteFileW((big + L"\\page" + std::to_wstring(i + 1) + L".bmp").c_str());
    }
    RemoveDirectoryW(big.c_str());
    RemoveDirectoryW(work.c_str());
    return ok ? 0 : 1;
}
