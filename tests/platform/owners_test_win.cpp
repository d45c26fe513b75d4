// Windows build only. The kernel-handle owner closes what it holds exactly once:
// not after release() or a move, not a second time after close(), and it tells
// a close the system refused from one it accepted.
#include <windows.h>

#include <gtest/gtest.h>

#include <utility>

#include "platform/owners_win.h"

namespace {

bool IsOpen(HANDLE h) {
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != 0;
}

HANDLE NewEvent() {
    return CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

TEST(KernelHandleTest, ClosesOnceWhateverTheRoute) {
    struct Case {
        const char* name;
        void (*route)(HANDLE h);  // ends with the owner gone
        bool openAfter;
    };
    const Case kCases[] = {
        {"goes out of scope", [](HANDLE h) { KernelHandle owner(h); }, false},
        {"reset to none", [](HANDLE h) { KernelHandle(h).reset(); }, false},
        {"released",
         [](HANDLE h) {
             KernelHandle owner(h);
             EXPECT_EQ(owner.release(), h);
             EXPECT_FALSE(owner.valid());
         },
         true},
        {"moved to a second owner",
         [](HANDLE h) {
             KernelHandle first(h);
             KernelHandle second(std::move(first));
             EXPECT_FALSE(first.valid());
             EXPECT_TRUE(IsOpen(h)) << "the moved-from owner closed it";
         },
         false},
        {"moved over an owner holding another",
         [](HANDLE h) {
             HANDLE other = NewEvent();
             KernelHandle target(other);
             target = KernelHandle(h);
             EXPECT_FALSE(IsOpen(other)) << "the replaced handle leaked";
             EXPECT_TRUE(IsOpen(h));
         },
         false},
        {"closed by hand, then gone",
         [](HANDLE h) {
             KernelHandle owner(h);
             EXPECT_TRUE(owner.close());
             EXPECT_FALSE(owner.valid());
             EXPECT_FALSE(owner.close()) << "a second close reported success";
         },
         false},
    };
    for (const Case& c : kCases) {
        HANDLE h = NewEvent();
        ASSERT_NE(h, nullptr);
        c.route(h);
        EXPECT_EQ(IsOpen(h), c.openAfter) << c.name;
        if (c.openAfter) {
            CloseHandle(h);
        }
    }
}

TEST(KernelHandleTest, NoneIsNeverClosed) {
    // Both spellings of "no handle" are held as none; INVALID_HANDLE_VALUE is
    // also the process's own pseudo-handle, which must never reach CloseHandle.
    for (HANDLE none : {HANDLE{nullptr}, INVALID_HANDLE_VALUE}) {
        KernelHandle owner(none);
        EXPECT_FALSE(owner.valid());
        EXPECT_FALSE(owner.close());
        EXPECT_EQ(owner.get(), nullptr);
    }
}

}  // namespace
