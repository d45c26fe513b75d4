// The background file job in the real program: the progress window's cancel
// poll, and a packing job's life from start to the completion message, during
// which other jobs and the close request are refused.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "archive/file_job.h"
#include "tests/ui/shell_fixture.h"
#include "ui/app_state.h"
#include "ui/file_job_win.h"
#include "ui/progress_window_win.h"

namespace {

using FileJobTest = ShellTest;

struct PollCase {
    const char* label;
    UINT message;
    WPARAM wParam;
    bool toButton;
    bool cancels;
};

const PollCase kPollCases[] = {
    {"Escape on the window", WM_KEYDOWN, VK_ESCAPE, false, true},
    {"another key", WM_KEYDOWN, 'A', false, false},
    {"a click on the button", WM_LBUTTONDOWN, MK_LBUTTON, true, true},
    {"a click beside the button", WM_LBUTTONDOWN, MK_LBUTTON, false, false},
    {"the mouse passing over the button", WM_MOUSEMOVE, 0, true, false},
    {"a right click on the button", WM_RBUTTONDOWN, MK_RBUTTON, true, false},
};

TEST_F(FileJobTest, EscapeOrAClickOnTheButtonCancelsAndOtherInputIsDropped) {
    ProgressWindow progress;
    progress.titleId = 7061;
    progress.buttonId = 20511;
    ProgressOpen(&progress);
    ASSERT_NE(progress.window, nullptr);
    ASSERT_NE(progress.bar, nullptr);
    HWND button = GetDlgItem(progress.window, 2);
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(ProgressCancelled(&progress)) << "nothing waiting";
    for (const PollCase& c : kPollCases) {
        SCOPED_TRACE(c.label);
        PostMessageW(c.toButton ? button : progress.window, c.message, c.wParam, 0);
        EXPECT_EQ(ProgressCancelled(&progress), c.cancels);
        MSG left{};
        EXPECT_FALSE(PeekMessageW(&left, progress.window, WM_KEYDOWN, WM_LBUTTONDOWN, PM_NOREMOVE) &&
                     left.hwnd == progress.window);
    }
    ProgressClose(&progress);
    EXPECT_EQ(progress.window, nullptr);
    EXPECT_EQ(FindWindowW(L"acv_progress_class", nullptr), nullptr);
}

std::u16string Program(const std::filesystem::path& p) {
    return p.u16string();
}

TEST_F(FileJobTest, ARunningPackBlocksOtherJobsAndTheCloseUntilItEnds) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / "pw_file_job_test";
    std::error_code ec;
    fs::remove_all(root, ec);
    fs::create_directories(root / "Book" / "sub");
    // Enough bytes that deflating them at level 9 outlasts the checks below.
    std::string noise(1 << 20, '\0');
    uint32_t x = 2463534242u;
    for (char& c : noise) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x);
    }
    for (int i = 0; i < 24; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "p%d.jpg", i);
        std::ofstream(root / "Book" / "sub" / name, std::ios::binary) << noise;
    }
    const std::u16string source = Program(root / "Book");
    const std::u16string archive = Program(root / "Book.zip");

    ASSERT_TRUE(StartFileJob(source.c_str(), archive.c_str(), kJobPackDeflated, 7061));
    EXPECT_TRUE(FileJobRunning());
    EXPECT_FALSE(StartFileJob(archive.c_str(), Program(root).c_str(), kJobExtract, 7050))
        << "an extraction waits for the packing";
    SendMessageW(gApp.mainWindow, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(gApp.mainWindow)) << "the close request is refused";

    for (int i = 0; i < 600 && FileJobActive(); ++i) {
        PumpFor(50);
    }
    EXPECT_FALSE(FileJobActive()) << "the completion message ends the job";
    EXPECT_TRUE(fs::exists(root / "Book.zip"));
    EXPECT_EQ(FindWindowW(L"acv_progress_class", nullptr), nullptr);

    // Extraction of what was packed, on the same machinery.
    fs::create_directories(root / "out");
    ASSERT_TRUE(StartFileJob(archive.c_str(), Program(root / "out").c_str(), kJobExtract, 7050));
    for (int i = 0; i < 600 && FileJobActive(); ++i) {
        PumpFor(50);
    }
    EXPECT_EQ(fs::file_size(root / "out" / "Book" / "sub" / "p3.jpg", ec), noise.size());
    fs::remove_all(root, ec);
}

}  // namespace
