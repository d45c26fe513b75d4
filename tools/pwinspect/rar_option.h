// RAR archives in pwinspect: which paths are RAR archives, and the password
// given with --password, which answers the RAR reader's prompt without a dialog.
#pragma once

// True for ".rar" and ".cbr" names.
bool IsRarPath(const char16_t* path);
// Takes "--password P" and "--plugin-folder DIR" (the first place the RAR
// library is looked for) out of the arguments and applies them; returns the
// argument count left. Without a password every password request is refused.
int TakeRarOptions(int argc, char16_t** argv);
