// The platform's folder chooser: file-system folders only, new dialog style,
// titled by a language string, with a folder preselected. Used by the file jobs
// and by any dialog that asks for a folder.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/str_buf.h"

// Shows the chooser owned by owner with title string titleId and *folder
// preselected (when not empty). True with *folder replaced by the chosen folder;
// false when the user cancels or the choice has no file-system path (*folder is
// then unchanged).
[[nodiscard]] bool ChooseFolder(HWND owner, uint32_t titleId, StrBuf* folder);
// The same with the title given as text.
[[nodiscard]] bool ChooseFolderTitled(HWND owner, const char16_t* title, StrBuf* folder);
