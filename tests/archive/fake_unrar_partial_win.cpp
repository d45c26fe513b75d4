// A library named like the RAR library that exports three of its four entry
// points (no RARProcessFileW): the loader must release it and look further.
#include <cstdint>

extern "C" {
__declspec(dllexport) void* RAROpenArchiveEx(void*) {
    return nullptr;
}
__declspec(dllexport) int RARCloseArchive(void*) {
    return 0;
}
__declspec(dllexport) int RARReadHeaderEx(void*, void*) {
    return 10;
}
}
