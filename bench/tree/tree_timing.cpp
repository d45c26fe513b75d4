// How long the user-interface thread is busy when the folder tree expands a
// folder of many subfolders (half of them holding a picture), next to a bare
// enumeration of the same folder in the same run; then how long the child checks
// take in the background and the worst delay a posted message saw meanwhile.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "browser/folder_tree.h"
#include "platform/heap.h"
#include "settings/settings.h"

namespace {

constexpr UINT kPing = WM_APP + 50;

double Now() {
    LARGE_INTEGER f;
    LARGE_INTEGER c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        return TreeNotify(reinterpret_cast<const NMHDR*>(lParam));
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void MakeCorpus(const std::wstring& base, int count) {
    CreateDirectoryW(base.c_str(), nullptr);
    for (int i = 0; i < count; ++i) {
        wchar_t name[64];
        std::swprintf(name, 64, L"\\f%05d", i);
        std::wstring folder = base + name;
        if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            continue;
        }
        if (i % 2 == 0) {
            HANDLE h = CreateFileW((folder + L"\\p001.jpg").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   0, nullptr);
            const char bytes[4] = {'\xFF', '\xD8', '\xFF', '\xD9'};
            DWORD written = 0;
            WriteFile(h, bytes, sizeof bytes, &written, nullptr);
            CloseHandle(h);
        }
    }
}

// Milliseconds to list the folder's subfolders with find-first and find-next.
double BareEnumeration(const std::wstring& base, int* found) {
    const double start = Now();
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((base + L"\\*").c_str(), &data);
    int n = 0;
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && data.cFileName[0] != L'.') {
                ++n;
            }
        } while (FindNextFileW(h, &data));
        FindClose(h);
    }
    *found = n;
    return Now() - start;
}

// Posts a message to the thread and pumps until it comes back: the time the
// user-interface thread needs to answer anything.
double AnswerDelay(HWND window) {
    const double start = Now();
    PostMessageW(window, kPing, 0, 0);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == kPing) {
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return Now() - start;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int count = argc > 1 ? _wtoi(argv[1]) : 5000;
    if (!AppHeapCreate() || FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) || !TreeInit()) {
        return 1;
    }
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    wchar_t full[MAX_PATH];
    std::wstring base = std::wstring(temp) + L"pw_tree_timing";
    MakeCorpus(base, count);
    GetLongPathNameW(base.c_str(), full, MAX_PATH);
    base = full;

    WNDCLASSW wc{};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"pw_tree_timing";
    RegisterClassW(&wc);
    HWND parent = CreateWindowExW(0, wc.lpszClassName, L"timing", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300,
                                  600, nullptr, nullptr, wc.hInstance, nullptr);
    HWND tree = CreateWindowExW(0, WC_TREEVIEWW, nullptr,
                                WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, 0, 0,
                                280, 560, parent, reinterpret_cast<HMENU>(1032), wc.hInstance, nullptr);
    TreeFolderList folders;
    (void)folders.Append(reinterpret_cast<const char16_t*>(base.c_str()), static_cast<uint32_t>(base.size()),
                         0);
    TreeSetFolders(&folders);
    TreeShowFiles(true);
    if (tree == nullptr || !TreeCreate(tree, L"Folders", false, true) || !TreeWaitChecks(60000)) {
        std::printf("tree could not be made\n");
        return 1;
    }
    HTREEITEM item = TreeView_GetChild(tree, TreeFoldersRoot());

    std::vector<double> bare;
    std::vector<double> expand;
    std::vector<double> checks;
    double worstDelay = 0;
    int found = 0;
    for (int run = 0; run < 3; ++run) {
        bare.push_back(BareEnumeration(base, &found));
        const double start = Now();
        TreeView_Expand(tree, item, TVE_EXPAND);
        (void)AnswerDelay(parent);
        expand.push_back(Now() - start);
        // While the child checks run, the thread keeps answering.
        const double checkStart = Now();
        for (int i = 0; i < 2000 && !TreeWaitChecks(10); ++i) {
            worstDelay = std::max(worstDelay, AnswerDelay(parent));
        }
        (void)TreeWaitChecks(60000);
        checks.push_back(Now() - checkStart);
        TreeView_Expand(tree, item, TVE_COLLAPSE | TVE_COLLAPSERESET);
        (void)TreeWaitChecks(60000);
    }
    const double b = Median(bare);
    const double e = Median(expand);
    std::printf("subfolders: %d (listed %d)\n", count, found);
    std::printf("bare enumeration (find-first/next): %.1f ms\n", b);
    std::printf("tree expand until it answers again: %.1f ms (%.1fx the bare enumeration)\n", e, e / b);
    std::printf("child checks done in the background after: %.1f ms\n", Median(checks));
    std::printf("worst answer delay while the checks ran: %.1f ms\n", worstDelay);
    DestroyWindow(parent);
    TreeDestroy();
    CoUninitialize();
    return 0;
}
