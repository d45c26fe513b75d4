// Move-only owners of Win32 resources that more than one floor frees: a kernel
// handle (CloseHandle), a loaded module (FreeLibrary) and a block from the COM
// task allocator (CoTaskMemFree: shell item identifier lists and the texts the
// shell hands out). Windows builds only; include it from *_win.cpp files.
//
// Each owner takes what it is given, frees it once when it goes or is reset, and
// gives it up unfreed by release(). Copies are deleted; moves hand ownership on.
#pragma once

#include <windows.h>

#include <objbase.h>
#include <shtypes.h>

// A kernel handle; both null and INVALID_HANDLE_VALUE mean "none" (the Win32
// calls disagree on which one reports failure).
class KernelHandle {
  public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE h) : h_(h) {}
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;
    KernelHandle(KernelHandle&& o) noexcept : h_(o.release()) {}
    KernelHandle& operator=(KernelHandle&& o) noexcept {
        reset(o.release());
        return *this;
    }
    ~KernelHandle() { reset(); }

    HANDLE get() const { return h_; }
    bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    HANDLE release() {
        HANDLE h = h_;
        h_ = nullptr;
        return h;
    }
    void reset(HANDLE h = nullptr) {
        if (valid()) {
            CloseHandle(h_);
        }
        h_ = h;
    }
    // Closes now and says whether the system accepted the close; for a file
    // just written, a failed close can mean data that never reached the disk.
    // An owner holding nothing reports false.
    [[nodiscard]] bool close() {
        if (!valid()) {
            h_ = nullptr;
            return false;
        }
        return CloseHandle(release()) != 0;
    }

  private:
    HANDLE h_ = nullptr;
};

class ModuleOwner {
  public:
    ModuleOwner() = default;
    explicit ModuleOwner(HMODULE m) : m_(m) {}
    ModuleOwner(const ModuleOwner&) = delete;
    ModuleOwner& operator=(const ModuleOwner&) = delete;
    ModuleOwner(ModuleOwner&& o) noexcept : m_(o.release()) {}
    ModuleOwner& operator=(ModuleOwner&& o) noexcept {
        reset(o.release());
        return *this;
    }
    ~ModuleOwner() { reset(); }

    HMODULE get() const { return m_; }
    bool valid() const { return m_ != nullptr; }
    HMODULE release() {
        HMODULE m = m_;
        m_ = nullptr;
        return m;
    }
    void reset(HMODULE m = nullptr) {
        if (m_ != nullptr) {
            FreeLibrary(m_);
        }
        m_ = m;
    }

  private:
    HMODULE m_ = nullptr;
};

// A block of the COM task allocator. out() hands the slot to a call that
// allocates into it (freeing what was held first).
template <typename T>
class TaskMemOwner {
  public:
    TaskMemOwner() = default;
    explicit TaskMemOwner(T* p) : p_(p) {}
    TaskMemOwner(const TaskMemOwner&) = delete;
    TaskMemOwner& operator=(const TaskMemOwner&) = delete;
    TaskMemOwner(TaskMemOwner&& o) noexcept : p_(o.release()) {}
    TaskMemOwner& operator=(TaskMemOwner&& o) noexcept {
        reset(o.release());
        return *this;
    }
    ~TaskMemOwner() { reset(); }

    T* get() const { return p_; }
    bool valid() const { return p_ != nullptr; }
    T** out() {
        reset();
        return &p_;
    }
    T* release() {
        T* p = p_;
        p_ = nullptr;
        return p;
    }
    void reset(T* p = nullptr) {
        if (p_ != nullptr) {
            CoTaskMemFree(p_);
        }
        p_ = p;
    }

  private:
    T* p_ = nullptr;
};

// A shell item identifier list.
using PidlOwner = TaskMemOwner<ITEMIDLIST>;
