// Finding and loading the RAR library, and what the shell lends the RAR reader.
//
// The library is looked for in three places, in order: the plug-in folder, the
// program's own folder, the system folder (the bare name, left to the platform's
// search, when the system folder is unknown). A place counts only when the
// library there loads and exports all four entry points; the system folder's
// answer is final.
//
// Set-up (user-interface thread, before the loader thread starts): RarSetPromptOps.
// RarSetPluginFolder whenever the setting changes; it copies under AppLock, and
// every RarContext copies it again under AppLock when it starts.
#pragma once

#include <cstdint>

#include "app/str_buf.h"
#include "archive/rar_api.h"

struct RarContext;

constexpr char16_t kRarLibraryName[] = u"unrar64.dll";

// The password prompt. owner is a window handle or null; dialogId the template.
// True when the user confirmed; password then holds what was typed.
struct RarPromptOps {
    void* context;
    bool (*askPassword)(void* context, void* owner, int32_t dialogId, StrBuf* password);
};

// ops may be null (no prompt: every password request aborts).
void RarSetPromptOps(const RarPromptOps* ops);
[[nodiscard]] bool RarAskPassword(void* owner, int32_t dialogId, StrBuf* password);

void RarSetPluginFolder(const char16_t* folder);
// Copies the current plug-in folder into out (under AppLock).
void RarCopyPluginFolder(StrBuf* out);

// True when the library file exists in one of the three places (nothing loaded).
[[nodiscard]] bool RarLibraryAvailable(const char16_t* pluginFolder);
// Loads the library into the context unless it holds it already.
[[nodiscard]] bool RarLoadLibrary(RarContext* context);
// Releases the context's library reference, if any.
void RarReleaseLibrary(RarContext* context);

// For tests. Replaces the program and system folders searched (null: the real
// ones).
void RarSetSearchFolders(const char16_t* programFolder, const char16_t* systemFolder);
// Every context takes these entry points instead of searching (null: search again).
void RarSetEntryPointsOverride(const RarEntryPoints* entry);
