// The most bytes a picture's pixel block may take. The program sets it once at
// start (SetPictureByteLimit, the smaller of 2 GiB and a quarter of physical
// memory); a thread may lower it for the decodes it runs while a
// PictureLimitScope lives (the loader does, for pages read ahead into what is
// left of the budget). AllocatePixels refuses a block above the limit before
// anything is allocated, so a tiny file declaring a vast picture costs nothing.
// Without a limit set (tools, tests) every size the decoders accept is allowed.
#pragma once

#include <cstdint>

// 0 removes the limit. Set before other threads decode.
void SetPictureByteLimit(uint64_t bytes);
[[nodiscard]] uint64_t PictureByteLimit();
// The program's limit for a machine with this much physical memory (0 when
// unknown): the smaller of 2 GiB and a quarter of it.
[[nodiscard]] uint64_t DefaultPictureByteLimit(uint64_t physicalBytes);
// Whether a pixel block of this many bytes may be allocated on this thread now.
[[nodiscard]] bool PictureBlockAllowed(uint64_t bytes);
// Whether a picture this large may be held at all (the program's limit alone,
// whatever this thread's scope): a block kept for reuse may serve it.
[[nodiscard]] bool PictureWithinProgramLimit(uint64_t bytes);

// Lowers the limit on this thread while it lives (0: no extra limit).
class PictureLimitScope {
  public:
    explicit PictureLimitScope(uint64_t bytes);
    ~PictureLimitScope();
    PictureLimitScope(const PictureLimitScope&) = delete;
    PictureLimitScope& operator=(const PictureLimitScope&) = delete;

  private:
    uint64_t saved_;
};
