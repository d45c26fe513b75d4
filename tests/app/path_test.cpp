#include <gtest/gtest.h>

#include <string>

#include "app/str_buf.h"

namespace {

std::u16string Str(const StrBuf& s) {
    return std::u16string(s.Text(), s.length);
}

uint32_t Len(const char16_t* s) {
    return TextLength(s);
}

TEST(PathTest, AssignPathPartKinds) {
    struct Case {
        int kind;
        const char16_t* path;
        const char16_t* want;
    };
    static const Case kCases[] = {
        {1, u"C:\\books\\a.jpg", u"C:"},
        {1, u"nofolder.jpg", u"nofolder.jpg"},
        {2, u"C:\\books\\a.jpg", u"C:\\books"},
        {2, u"a.jpg", u"a.jpg"},
        {3, u"C:\\books\\a.jpg", u"a.jpg"},
        {3, u"a.jpg", u"a.jpg"},
        {3, u"C:\\books\\", u""},
        {4, u"C:\\books\\a.b.jpg", u"a.b"},
        {4, u"C:\\books.d\\readme", u"readme"},
        {5, u"C:\\books\\a.JPG", u".JPG"},
        {5, u"dir.x\\file", u""},
        {5, u"file.", u"."},
        {6, u"C:\\books\\a.jpg", u"C:\\books\\a"},
        {6, u"dir.x\\file", u"dir.x\\file"},
        {7, u"C:\\books\\vol1\\a.jpg", u"vol1\\a.jpg"},
        {7, u"books\\a.jpg", u"books\\a.jpg"},
        {7, u"a.jpg", u"a.jpg"},
        {0, u"C:\\whole", u"C:\\whole"},
        {99, u"C:\\whole", u"C:\\whole"},
        {3, u"", u""},
    };
    for (const Case& c : kCases) {
        StrBuf s;
        s.Assign(u"old content");
        s.AssignPathPart(c.kind, c.path, Len(c.path));
        EXPECT_EQ(Str(s), c.want) << "kind " << c.kind << " of path #" << (&c - kCases);
        EXPECT_EQ(s.Text()[s.length], 0);
    }
}

// The folder a picture's book is: a root keeps its '\' ("C:" alone would name
// the drive's current folder), any other folder drops it.
TEST(PathTest, ContainingFolderKeepsARootsSeparator) {
    struct Case {
        const char16_t* path;
        const char16_t* want;
    };
    static const Case kCases[] = {
        {u"C:\\p.jpg", u"C:\\"},
        {u"C:\\books\\p.jpg", u"C:\\books"},
        {u"\\p.jpg", u"\\"},
        {u"\\\\server\\share\\p.jpg", u"\\\\server\\share"},
        {u"\\\\?\\C:\\p.jpg", u"\\\\?\\C:\\"},
        {u"C:\\books\\", u"C:\\books"},
        {u"C:p.jpg", u"C:p.jpg"},
        {u"p.jpg", u"p.jpg"},
        {u"", u""},
    };
    for (const Case& c : kCases) {
        const uint32_t n = Len(c.path);
        EXPECT_EQ(std::u16string(c.path, ContainingFolderLength(c.path, n)), c.want)
            << "path #" << (&c - kCases);
    }
}

TEST(PathTest, AssignPathPartFromItsOwnBuffer) {
    StrBuf s;
    s.Assign(u"C:\\books\\vol1\\p01.png");
    s.AssignPathPart(kPathFolder, s.buffer, s.length);
    EXPECT_EQ(Str(s), u"C:\\books\\vol1");
    s.AssignPathPart(kPathFileName, s.buffer, s.length);
    EXPECT_EQ(Str(s), u"vol1");
}

TEST(PathTest, JoinPath) {
    struct Case {
        const char16_t* dir;
        const char16_t* name;
        const char16_t* want;
    };
    static const Case kCases[] = {
        {u"C:\\", u"a.jpg", u"C:\\a.jpg"},
        {u"C:\\books", u"a.jpg", u"C:\\books\\a.jpg"},
        {u"C:\\books", u"", u"C:\\books\\"},
        {u"", u"a.jpg", u"untouched"},
    };
    for (const Case& c : kCases) {
        StrBuf s;
        s.Assign(u"untouched");
        s.JoinPath(c.dir, Len(c.dir), c.name, Len(c.name));
        EXPECT_EQ(Str(s), c.want) << "dir #" << (&c - kCases);
    }
}

TEST(PathTest, JoinPathFromItsOwnBuffer) {
    StrBuf s;
    s.Assign(u"C:\\a-rather-long-folder-name-that-will-force-the-buffer-to-grow-when-joined");
    s.JoinPath(s.buffer, s.length, u"page-with-a-long-name-too.jpg", 29);
    EXPECT_EQ(Str(s),
              u"C:\\a-rather-long-folder-name-that-will-force-the-buffer-to-grow-when-joined\\"
              u"page-with-a-long-name-too.jpg");
}

TEST(PathTest, AppendPathComponent) {
    struct Case {
        const char16_t* start;
        const char16_t* name;
        const char16_t* want;
    };
    static const Case kCases[] = {
        {u"", u"a", u"a"},
        {u"C:\\", u"a", u"C:\\a"},
        {u"C:\\x", u"a", u"C:\\x\\a"},
        {u"C:\\x", u"", u"C:\\x"},
    };
    for (const Case& c : kCases) {
        StrBuf s;
        s.Assign(c.start);
        s.AppendPathComponent(c.name, Len(c.name));
        EXPECT_EQ(Str(s), c.want) << "start #" << (&c - kCases);
    }
}

TEST(PathTest, ExtensionsReplaceAndCompare) {
    struct Case {
        const char16_t* path;
        const char16_t* ext;
        bool has;
        const char16_t* replaced;
    };
    static const Case kCases[] = {
        {u"C:\\b\\a.JPG", u".jpg", true, u"C:\\b\\a.jpg"},
        {u"C:\\b\\a.jpg.txt", u".jpg", false, u"C:\\b\\a.jpg.jpg"},
        {u"C:\\b.jpg\\readme", u".jpg", false, u"C:\\b.jpg\\readme.jpg"},
        {u"noext", u".zip", false, u"noext.zip"},
        {u"a.", u".", true, u"a."},
        {u"", u".ini", false, u""},
    };
    for (const Case& c : kCases) {
        StrBuf s;
        s.Assign(c.path);
        EXPECT_EQ(s.HasExtension(c.ext), c.has) << "path #" << (&c - kCases);
        s.ReplaceExtension(c.ext);
        EXPECT_EQ(Str(s), c.replaced) << "path #" << (&c - kCases);
    }
}

}  // namespace
