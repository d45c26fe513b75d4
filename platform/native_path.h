// Native builds only: turns a program path (UTF-16, '\' separated) into a POSIX
// path (UTF-8, '/' separated) so that the core's path rules hold unchanged.
#pragma once

#include <cstddef>

// Returns false when the converted path does not fit in cap bytes.
[[nodiscard]] bool ToNativePath(const char16_t* path, char* out, size_t cap);
