// The application heap: one private growable heap from which every allocation of
// the program's own is made (strings, lists, records). Pixel blocks and archive
// member bytes come from virtual-memory blocks instead (vm.h).
//
// Call order: AppHeapCreate() first thing at start, AppHeapDestroy() last. Records
// released after that check AppHeapAlive() and skip their release.
// Every allocation may fail and returns null; callers degrade, never abort.
#pragma once

#include <cstddef>
#include <cstdint>

[[nodiscard]] bool AppHeapCreate();
void AppHeapDestroy();
[[nodiscard]] bool AppHeapAlive();

[[nodiscard]] void* AppAlloc(size_t bytes);
[[nodiscard]] void* AppAllocZero(size_t bytes);
// Grows or shrinks a block; bytes added at the end are zero. On failure the old
// block is left as it was and null is returned.
[[nodiscard]] void* AppReAllocZero(void* block, size_t bytes);
void AppFree(void* block);

// Test hook: the n-th allocation from now on (and every later one) fails; a
// negative n turns failures off.
void AppHeapFailAfter(int64_t n);

// Shared by the platform implementations: true when the injected failure fires.
bool AppHeapInjectedFailure();

// Typed helpers with overflow-checked counts.
template <typename T>
[[nodiscard]] T* AppAllocArrayZero(size_t count) {
    if (count > SIZE_MAX / sizeof(T)) {
        return nullptr;
    }
    return static_cast<T*>(AppAllocZero(count * sizeof(T)));
}

// Owns one block of the application heap.
template <typename T>
class AppPtr {
  public:
    AppPtr() = default;
    explicit AppPtr(T* p) : p_(p) {}
    AppPtr(const AppPtr&) = delete;
    AppPtr& operator=(const AppPtr&) = delete;
    AppPtr(AppPtr&& o) noexcept : p_(o.release()) {}
    AppPtr& operator=(AppPtr&& o) noexcept {
        reset(o.release());
        return *this;
    }
    ~AppPtr() { reset(); }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T* release() {
        T* p = p_;
        p_ = nullptr;
        return p;
    }
    void reset(T* p = nullptr) {
        if (p_ != nullptr) {
            AppFree(p_);
        }
        p_ = p;
    }

  private:
    T* p_ = nullptr;
};
