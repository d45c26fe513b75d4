// The child-check thread: a message-only window ("shell_msg_class") on a thread
// of its own, with COM initialised, that decides whether items have children
// worth an expand button. Requests come by posting; the answer goes back to the
// tree control as kCheckAnswerMessage, where the user-interface thread applies
// it unless the item was deleted meanwhile.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <new>

#include "browser/tree_state.h"
#include "platform/owners_win.h"

namespace {

constexpr wchar_t kCheckClass[] = L"shell_msg_class";

void FreeRequest(CheckRequest* r) {
    CoTaskMemFree(r->id);
    ReleaseNode(r->node);
    NodeHeapFree(r);
}

void FreeChain(CheckRequest* r) {
    while (r != nullptr) {
        CheckRequest* next = r->next;
        FreeRequest(r);
        r = next;
    }
}

// wParam names the item of a single request (a batch's items are in its nodes).
bool PostChain(CheckRequest* first, HTREEITEM item) {
    HWND window = Tree().checkWindow;
    if (window == nullptr || !PostMessageW(window, kCheckMessage, reinterpret_cast<WPARAM>(item),
                                           reinterpret_cast<LPARAM>(first))) {
        FreeChain(first);
        return false;
    }
    return true;
}

bool IsZipName(const wchar_t* name) {
    const uint32_t n = static_cast<uint32_t>(lstrlenW(name));
    return ArchiveKindOfFile(reinterpret_cast<const char16_t*>(name), n, ArchiveKindRules{}) == kKindZip;
}

// Yes at the first child that is a folder, a ZIP stream folder or an archive
// file; a folder that cannot be listed also answers yes, so that its button
// stays until an expansion finds it empty.
bool FolderHasChildren(IShellFolder* desktop, const ITEMIDLIST* id, uint32_t enumFlags) {
    wchar_t path[MAX_PATH];
    if (!IdPath(id, path) || !PathExistsW(path) || IsDriveRoot(path)) {
        return true;
    }
    IShellFolder* folder = nullptr;
    if (FAILED(desktop->BindToObject(id, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder)))) {
        return true;
    }
    bool yes = false;
    IEnumIDList* list = nullptr;
    if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | enumFlags, &list) == S_OK && list != nullptr) {
        ITEMIDLIST* child = nullptr;
        while (!yes && list->Next(1, &child, nullptr) == S_OK) {
            PidlOwner owned(child);
            SFGAOF attributes = SFGAO_FOLDER | SFGAO_STREAM;
            const ITEMIDLIST* one = child;
            if (FAILED(folder->GetAttributesOf(1, &one, &attributes))) {
                continue;
            }
            const bool isFolder = (attributes & SFGAO_FOLDER) != 0;
            const bool isStream = (attributes & SFGAO_STREAM) != 0;
            if (isFolder && !isStream) {
                yes = true;
                break;
            }
            STRRET ret{};
            wchar_t name[MAX_PATH] = L"";
            if (FAILED(folder->GetDisplayNameOf(child, SHGDN_INFOLDER | SHGDN_FORPARSING, &ret)) ||
                FAILED(StrRetToBufW(&ret, child, name, MAX_PATH))) {
                continue;
            }
            yes = isFolder ? IsZipName(name) : ArchiveKindLocked(name) != 0;
        }
        list->Release();
    }
    folder->Release();
    return yes;
}

bool Decide(IShellFolder* desktop, const CheckRequest& r) {
    switch (r.type) {
        case kNodeDesktop:
            return true;
        case kNodeFolderRoot:
            return r.hasFolders;
        case kNodeRegistered:
            return r.kind == kKindFolder && FolderHasChildren(desktop, r.id, r.enumFlags);
        default:
            break;
    }
    if (r.kind == kKindFolder) {
        return FolderHasChildren(desktop, r.id, r.enumFlags);
    }
    if (r.kind == kKindVirtual) {
        SFGAOF attributes = SFGAO_HASSUBFOLDER;
        const ITEMIDLIST* last = nullptr;
        IShellFolder* parent = nullptr;
        if (FAILED(SHBindToParent(r.id, IID_IShellFolder, reinterpret_cast<void**>(&parent), &last))) {
            return true;
        }
        const bool ok = SUCCEEDED(parent->GetAttributesOf(1, &last, &attributes));
        parent->Release();
        return !ok || (attributes & SFGAO_HASSUBFOLDER) != 0;
    }
    return false;
}

bool Stale(const CheckRequest* r) {
    return r->generation != Tree().cancelGeneration;
}

void HandleCheck(IShellFolder* desktop, CheckRequest* r) {
    FolderTree& t = Tree();
    if (!Stale(r) && desktop != nullptr) {
        const bool yes = Decide(desktop, *r);
        // Only a change is posted: a yes that adds, or a no that takes away.
        if (!Stale(r) && yes == r->addButton) {
            TreeNode* node = r->node;
            r->node = nullptr;
            HWND tree = t.tree;
            if (tree == nullptr ||
                !PostMessageW(tree, kCheckAnswerMessage, yes ? 1 : 0, reinterpret_cast<LPARAM>(node))) {
                ReleaseNode(node);
            }
        }
    }
    FreeRequest(r);
}

// Releases every queued request unanswered (the thread is ending).
void Drain(HWND window) {
    MSG msg;
    while (PeekMessageW(&msg, window, kCheckMessage, kCheckMessage, PM_REMOVE)) {
        FreeChain(reinterpret_cast<CheckRequest*>(msg.lParam));
    }
}

struct CheckWindowState {
    IShellFolder* desktop = nullptr;
};

LRESULT CALLBACK CheckProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<CheckWindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case kCheckMessage:
            // One request, or a batch chained through next; a cancel set while
            // the batch runs makes the rest go unanswered.
            for (auto* r = reinterpret_cast<CheckRequest*>(lParam); r != nullptr;) {
                CheckRequest* next = r->next;
                HandleCheck(state != nullptr ? state->desktop : nullptr, r);
                r = next;
            }
            return 0;
        case kBarrierMessage:
            SetEvent(reinterpret_cast<HANDLE>(lParam));
            return 0;
        case WM_DESTROY:
            Drain(window);
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

DWORD WINAPI CheckThread(void*) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CheckWindowState state;
    if (FAILED(SHGetDesktopFolder(&state.desktop))) {
        state.desktop = nullptr;
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = CheckProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kCheckClass;
    RegisterClassW(&wc);
    HWND window =
        CreateWindowExW(0, kCheckClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    if (window != nullptr) {
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
        Tree().checkWindow = window;
    }
    SetEvent(Tree().ready);
    if (window != nullptr) {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            DispatchMessageW(&msg);
        }
    }
    Tree().checkWindow = nullptr;
    if (state.desktop != nullptr) {
        state.desktop->Release();
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return 0;
}

}  // namespace

bool StartCheckThread() {
    FolderTree& t = Tree();
    t.ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (t.ready == nullptr) {
        return false;
    }
    t.thread = CreateThread(nullptr, 0, CheckThread, nullptr, 0, nullptr);
    return t.thread != nullptr;
}

void StopCheckThread() {
    FolderTree& t = Tree();
    if (t.thread == nullptr) {
        return;
    }
    if (t.checkWindow != nullptr) {
        PostMessageW(t.checkWindow, WM_CLOSE, 0, 0);
    }
    // Messages the thread's shell calls send to this thread's windows are
    // answered while waiting, so that they cannot hold it past its grace.
    const DWORD start = GetTickCount();
    bool ended = false;
    for (;;) {
        const DWORD spent = GetTickCount() - start;
        const DWORD r = spent >= 500
                            ? WAIT_TIMEOUT
                            : MsgWaitForMultipleObjects(1, &t.thread, FALSE, 500 - spent, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0) {
            ended = true;
            break;
        }
        if (r != WAIT_OBJECT_0 + 1) {
            break;
        }
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    if (!ended) {
        TerminateThread(t.thread, 0);
        t.checkWindow = nullptr;
    }
    CloseHandle(t.thread);
    t.thread = nullptr;
}

void PostChildCheck(HTREEITEM item, bool addButton) {
    FolderTree& t = Tree();
    TreeNode* node = NodeOf(item);
    if (node == nullptr || t.checkWindow == nullptr || node->dead) {
        return;
    }
    void* p = NodeHeapAlloc(sizeof(CheckRequest));
    if (p == nullptr) {
        return;
    }
    auto* r = new (p) CheckRequest();
    r->type = node->type;
    r->kind = node->kind;
    r->addButton = addButton;
    r->generation = t.cancelGeneration;
    r->enumFlags = t.hiddenFlag | t.archiveFlag;
    r->hasFolders = t.folders != nullptr && t.folders->count > 0;
    if (node->id != nullptr) {
        r->id = ILClone(node->id);
        if (r->id == nullptr) {
            NodeHeapFree(r);
            return;
        }
    }
    if (node != &t.desktopNode && node != &t.rootNode) {
        InterlockedIncrement(&node->refs);
    }
    r->node = node;
    if (t.batchDepth > 0) {
        *t.batchTail = r;
        t.batchTail = &r->next;
        return;
    }
    (void)PostChain(r, item);
}

void BeginCheckBatch() {
    FolderTree& t = Tree();
    if (t.batchDepth++ == 0) {
        t.batchFirst = nullptr;
        t.batchTail = &t.batchFirst;
    }
}

void EndCheckBatch() {
    FolderTree& t = Tree();
    if (t.batchDepth == 0 || --t.batchDepth > 0) {
        return;
    }
    CheckRequest* first = t.batchFirst;
    t.batchFirst = nullptr;
    t.batchTail = &t.batchFirst;
    if (first != nullptr) {
        (void)PostChain(first, nullptr);
    }
}

void CancelPendingChecks() {
    // Every request made until now is stale and is released unanswered when the
    // thread comes to it. (Draining the queue at that point would also take the
    // requests made after the cancel, and reorder those left behind waiters.)
    InterlockedIncrement(&Tree().cancelGeneration);
}

void ApplyCheckAnswer(WPARAM addButton, TreeNode* node) {
    FolderTree& t = Tree();
    if (node == nullptr) {
        return;
    }
    if (node->dead || node->item == nullptr) {
        InterlockedIncrement(&t.droppedAnswers);
    } else if (addButton != 0) {
        SetButton(node->item, true);
    } else {
        RemoveButton(node->item);
    }
    ReleaseNode(node);
}

uint32_t ArchiveKindLocked(const wchar_t* name) {
    FolderTree& t = Tree();
    AcquireSRWLockShared(&t.rulesLock);
    ArchiveKindRules rules;
    rules.rarAvailable = t.rarAvailable;
    rules.pluginExtensions = &t.pluginExtensions;
    const uint32_t kind = ArchiveKindOfFile(reinterpret_cast<const char16_t*>(name),
                                            static_cast<uint32_t>(lstrlenW(name)), rules);
    ReleaseSRWLockShared(&t.rulesLock);
    return kind;
}

bool TreeWaitChecks(DWORD timeoutMs) {
    FolderTree& t = Tree();
    if (t.checkWindow == nullptr) {
        return true;
    }
    KernelHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done.valid() ||
        !PostMessageW(t.checkWindow, kBarrierMessage, 0, reinterpret_cast<LPARAM>(done.get()))) {
        return false;
    }
    const DWORD start = GetTickCount();
    HANDLE h = done.get();
    for (;;) {
        const DWORD spent = GetTickCount() - start;
        if (spent >= timeoutMs) {
            // The thread may still set the event; it must outlive that.
            (void)done.release();
            return false;
        }
        const DWORD r = MsgWaitForMultipleObjects(1, &h, FALSE, timeoutMs - spent, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != WM_QUIT) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        if (r == WAIT_OBJECT_0) {
            return true;
        }
    }
}
