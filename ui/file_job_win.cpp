#include "ui/file_job_win.h"

#include <process.h>
#include <shlobj.h>

#include <new>

#include "archive/file_job.h"
#include "archive/plugin_extract.h"
#include "archive/rar_extract.h"
#include "archive/zip_extract.h"
#include "archive/zip_writer.h"
#include "browser/archive_kind.h"
#include "browser/folder_tree.h"
#include "platform/heap.h"
#include "ui/app_state.h"
#include "ui/choose_folder_win.h"
#include "ui/dispatch.h"
#include "ui/progress_window_win.h"

namespace {
constexpr uint32_t kChooserTitle = 20510;
constexpr uint32_t kCancelButton = 20511;
constexpr int kExtractFailed = 30004;
constexpr int kPackFailed = 30005;
constexpr DWORD kEndWait = 258;

struct ShellJob {
    FileJob job;
    StrBuf chosen;  // the destination the user chose, for the plug-in retry
    HANDLE thread = nullptr;
    bool pluginRetry = false;   // the job runs (or ran) through the plug-ins
    RarContext* rar = nullptr;  // while a RAR job runs: the password dialog's owner goes here
    HWND notifyWindow = nullptr;
    UINT notifyMessage = kFileJobMessage;
    WPARAM notifyWParam = 0;
    ProgressWindow progress;
    JobOps ops{};
};

ShellJob* gJob = nullptr;

void OpsOpen(void* ctx) {
    auto* job = static_cast<ShellJob*>(ctx);
    ProgressOpen(&job->progress);
    if (job->rar != nullptr) {
        job->rar->ownerWindow = job->progress.window;
    }
}
void OpsSetRange(void* ctx, uint32_t last) {
    ProgressSetRange(&static_cast<ShellJob*>(ctx)->progress, last);
}
void OpsStep(void* ctx) {
    ProgressStep(&static_cast<ShellJob*>(ctx)->progress);
}
bool OpsCancelled(void* ctx) {
    return ProgressCancelled(&static_cast<ShellJob*>(ctx)->progress);
}
void OpsClose(void* ctx) {
    ProgressClose(&static_cast<ShellJob*>(ctx)->progress);
}
void OpsCreated(void*, const char16_t* path, bool folder) {
    SHChangeNotify(folder ? SHCNE_MKDIR : SHCNE_CREATE, SHCNF_PATHW | SHCNF_FLUSHNOWAIT, path, nullptr);
}

// What every thread entry does around its job body.
unsigned RunBody(ShellJob* job, bool (*body)(ShellJob*)) {
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    const bool ok = body(job);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    if (job->notifyWindow != nullptr) {
        PostMessageW(job->notifyWindow, job->notifyMessage, job->notifyWParam, ok ? 1 : 0);
    }
    return 0;
}

// The ZIP entry: packing when the mode says so, else ZIP extraction.
unsigned __stdcall JobThreadZip(void* arg) {
    return RunBody(static_cast<ShellJob*>(arg), [](ShellJob* job) {
        return job->job.mode != kJobExtract ? ZipPackFolder(&job->job) : ZipExtractAll(&job->job);
    });
}

unsigned __stdcall JobThreadRar(void* arg) {
    return RunBody(static_cast<ShellJob*>(arg), [](ShellJob* job) {
        RarContext context;
        job->rar = &context;
        const bool ok = RarExtractAll(&context, &job->job);
        job->rar = nullptr;
        return ok;
    });
}

unsigned __stdcall JobThreadPlugin(void* arg) {
    return RunBody(static_cast<ShellJob*>(arg), [](ShellJob* job) { return PluginExtractAll(&job->job); });
}

using ThreadEntry = unsigned(__stdcall*)(void*);

// Makes the record with source and the source's folder as the proposed
// destination; null when the slot is taken.
ShellJob* NewJob(const char16_t* source) {
    void* raw = gJob == nullptr ? AppAllocZero(sizeof(ShellJob)) : nullptr;
    if (raw == nullptr) {
        return nullptr;
    }
    auto* job = new (raw) ShellJob{};
    job->job.source.Assign(source);
    job->job.destination.AssignPathPart(kPathFolder, source, TextLength(source));
    job->ops = JobOps{job, OpsOpen, OpsSetRange, OpsStep, OpsCancelled, OpsClose, OpsCreated};
    job->job.ops = &job->ops;
    gJob = job;
    return job;
}

ShellJob* NewJob(HTREEITEM item) {
    wchar_t path[MAX_PATH + 1] = L"";
    if (gJob != nullptr || !TreeItemPath(item, path) || path[0] == 0) {
        return nullptr;
    }
    return NewJob(reinterpret_cast<const char16_t*>(path));
}

bool Start(ShellJob* job, uint32_t mode, uint32_t titleId, ThreadEntry entry = JobThreadZip) {
    job->job.mode = mode;
    job->progress.titleId = titleId;
    job->progress.buttonId = kCancelButton;
    job->notifyWindow = gApp.mainWindow;
    (void)job->chosen.Append(job->job.destination.Text(), job->job.destination.length);
    const uintptr_t thread = _beginthreadex(nullptr, 0, entry, job, 0, nullptr);
    if (thread == 0) {
        ShowErrorBox(gApp.mainWindow, mode == kJobExtract ? kExtractFailed : kPackFailed);
        EndJob();
        return false;
    }
    job->thread = reinterpret_cast<HANDLE>(thread);
    return true;
}

// A job for the item whose destination the user chose; null (and no job left)
// when the job could not start or the chooser was cancelled.
ShellJob* NewChosenJob(HTREEITEM item) {
    ShellJob* job = NewJob(item);
    if (job != nullptr && !ChooseFolder(gApp.mainWindow, kChooserTitle, &job->job.destination)) {
        EndJob();
        return nullptr;
    }
    return job;
}
}  // namespace

void StartExtractJob(HTREEITEM item) {
    const uint32_t kind = TreeContextKind(item);
    if (kind != kKindZip && kind != kKindRar && kind != kKindPlugin) {
        return;
    }
    ShellJob* job = NewChosenJob(item);
    if (job == nullptr) {
        return;
    }
    // ZIP through the program's reader, RAR through the library, anything else
    // through the plug-ins (then there is nothing left to retry).
    job->pluginRetry = kind == kKindPlugin;
    (void)Start(job, kJobExtract, 7050,
                kind == kKindZip ? JobThreadZip : (kind == kKindRar ? JobThreadRar : JobThreadPlugin));
}

void StartPackJob(HTREEITEM item, uint32_t mode, uint32_t titleId) {
    if (TreeContextKind(item) != kKindFolder) {
        return;
    }
    ShellJob* job = NewChosenJob(item);
    if (job == nullptr) {
        return;
    }
    RedrawWindow(gApp.mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const StrBuf& source = job->job.source;
    StrBuf name;
    name.AssignPathPart(kPathBaseName, source.Text(), source.length);
    job->job.destination.AppendPathComponent(name.Text(), name.length);
    (void)job->job.destination.Append(u".zip", 4);
    (void)Start(job, mode, titleId);
}

LRESULT OnJobFinished(WPARAM, LPARAM lParam) {
    if (gJob == nullptr) {
        return 0;
    }
    ShellJob* job = gJob;
    if (lParam == 0 && job->job.mode == kJobExtract && !job->pluginRetry) {
        // An archive the program's reader or the RAR library could not extract
        // is tried once through the plug-ins, into the folder first chosen.
        job->pluginRetry = true;
        if (job->thread != nullptr) {
            WaitForSingleObject(job->thread, kEndWait);
            CloseHandle(job->thread);
            job->thread = nullptr;
        }
        job->progress.window = nullptr;
        job->progress.bar = nullptr;
        job->job.destination.Assign(job->chosen.Text());
        job->chosen.Release();
        // A thread that cannot start is reported, and the job ended, by Start.
        (void)Start(job, kJobExtract, job->progress.titleId, JobThreadPlugin);
        return 0;
    }
    if (lParam == 0) {
        ShowErrorBox(gApp.mainWindow, gJob->job.mode == kJobExtract ? kExtractFailed : kPackFailed);
    }
    EndJob();
    return 0;
}

void EndJob() {
    ShellJob* job = gJob;
    if (job == nullptr) {
        return;
    }
    if (job->thread != nullptr) {
        if (WaitForSingleObject(job->thread, kEndWait) != WAIT_OBJECT_0) {
            TerminateThread(job->thread, 1);
        }
        CloseHandle(job->thread);
    }
    gJob = nullptr;
    job->~ShellJob();
    AppFree(job);
}

bool StartFileJob(const char16_t* source, const char16_t* destination, uint32_t mode, uint32_t titleId) {
    ShellJob* job = NewJob(source);
    if (job == nullptr) {
        return false;
    }
    job->job.destination.Assign(destination);
    return Start(job, mode, titleId);
}

bool FileJobActive() {
    return gJob != nullptr;
}

bool FileJobRunning() {
    return gJob != nullptr && gJob->thread != nullptr && WaitForSingleObject(gJob->thread, 0) == WAIT_TIMEOUT;
}
