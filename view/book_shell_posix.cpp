// The native build has no shell namespace: no item identifiers exist, and a shell
// folder book lists nothing.
#include "view/book_shell.h"

ShellItemId* CloneItemId(const ShellItemId*) {
    return nullptr;
}

void ReleaseItemId(ShellItemId*) {}

bool IsRecycleBinItemId(const ShellItemId*) {
    return false;
}

bool ListShellFolder(const ShellItemId*, PageListBuilder*, ExtensionSet) {
    return false;
}
