// Measures how long the program's user-interface thread leaves its messages
// unanswered: every 50 ms it sends WM_NULL to the main window (found by class)
// and waits for the answer. Runs until the window goes away or the stop file
// appears, then prints every wait above the threshold and the longest one:
//   ui_stall_probe.exe STOP_FILE [THRESHOLD_MS]
// One line per stall: "stall START_MS DURATION_MS" (milliseconds since the
// probe found the window), then "longest DURATION_MS".
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: ui_stall_probe STOP_FILE [THRESHOLD_MS]\n");
        return 2;
    }
    const DWORD threshold = argc > 2 ? static_cast<DWORD>(std::atoi(argv[2])) : 1000;
    HWND window = nullptr;
    for (int i = 0; i < 1200 && window == nullptr; ++i) {  // up to two minutes
        window = FindWindowW(L"Pagewick_main_class", nullptr);
        if (window == nullptr) {
            Sleep(100);
        }
    }
    if (window == nullptr) {
        std::printf("no window\n");
        return 1;
    }
    const ULONGLONG start = GetTickCount64();
    DWORD longest = 0;
    while (IsWindow(window) && GetFileAttributesA(argv[1]) == INVALID_FILE_ATTRIBUTES) {
        const ULONGLONG t0 = GetTickCount64();
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &answer);
        const auto waited = static_cast<DWORD>(GetTickCount64() - t0);
        if (waited > threshold) {
            std::printf("stall %llu %lu\n", t0 - start, static_cast<unsigned long>(waited));
            std::fflush(stdout);
        }
        if (waited > longest) {
            longest = waited;
        }
        Sleep(50);
    }
    std::printf("longest %lu\n", static_cast<unsigned long>(longest));
    return 0;
}
