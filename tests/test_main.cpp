// Shared main of every test program: the application heap exists for the whole run,
// as it does in the program between start-up and shut-down.
#include <gtest/gtest.h>

#include "platform/heap.h"
#include "platform/lock.h"

int main(int argc, char** argv) {
    if (!AppHeapCreate()) {
        return 1;
    }
    AppLockInit();
    testing::InitGoogleTest(&argc, argv);
    int rc = RUN_ALL_TESTS();
    AppLockDelete();
    return rc;
}
