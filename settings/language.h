// The language library: the one resource-only library that holds every text and
// dialog layout the program shows. Loaded at start before any window exists and
// freed after the message loop ends.
#pragma once

#include <cstdint>

#include "app/str_buf.h"

// Loads the library named languageFile (bare name; the loader adds ".dll" and looks
// beside the program first), falling back to "English", then "Japanese"; checks
// the marker. False when none is usable. On a fallback languageFile becomes its
// name.
[[nodiscard]] bool LoadLanguage(StrBuf* languageFile);
void FreeLanguage();
// Run-time switch to the library name: loaded and checked beside the current
// one, then put in its place with languageFile set to name. False (the current
// library and languageFile kept) when name is not a usable library.
[[nodiscard]] bool SwitchLanguage(StrBuf* languageFile, const char16_t* name);
// True when the library at path carries the marker (loaded and unloaded here).
[[nodiscard]] bool IsLanguageLibrary(const char16_t* path);
// Reads string id (at most 127 characters); a missing string reads as empty.
void LanguageString(uint32_t id, StrBuf* out);
// The loaded library's module handle as an opaque pointer (null when none).
void* LanguageModule();

// The marker every language library carries: raw data resource 1, these 9 bytes.
inline constexpr char kLanguageMarker[9] = {'P', 'a', 'g', 'e', 'w', 'i', 'c', 'k', 0};
