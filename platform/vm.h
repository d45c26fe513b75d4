// Virtual-memory blocks: pixel blocks, archive member bytes and other large
// buffers. A block starts zero-filled and is released as a whole (decommit, then
// release). Callers add their own spare bytes to the size they ask for.
#pragma once

#include <cstddef>
#include <cstdint>

[[nodiscard]] void* VmAlloc(size_t bytes);
void VmFree(void* block);
// The bytes the block may hold: at least what VmAlloc was asked for (whole pages
// on Windows); 0 for null or when it cannot be told.
[[nodiscard]] size_t VmBlockSize(void* block);

// Owns one virtual-memory block.
class VmBlock {
  public:
    VmBlock() = default;
    explicit VmBlock(void* p) : p_(static_cast<uint8_t*>(p)) {}
    VmBlock(const VmBlock&) = delete;
    VmBlock& operator=(const VmBlock&) = delete;
    VmBlock(VmBlock&& o) noexcept : p_(o.release()) {}
    VmBlock& operator=(VmBlock&& o) noexcept {
        reset(o.release());
        return *this;
    }
    ~VmBlock() { reset(); }
    uint8_t* get() const { return p_; }
    uint8_t* release() {
        uint8_t* p = p_;
        p_ = nullptr;
        return p;
    }
    void reset(void* p = nullptr) {
        if (p_ != nullptr) {
            VmFree(p_);
        }
        p_ = static_cast<uint8_t*>(p);
    }

  private:
    uint8_t* p_ = nullptr;
};
