// The dialog templates of the language libraries: the extended form the program's
// template walk expects, the controls its dialog procedures address, a layout that
// keeps every control visible, and a real dialog made from a 9-point copy, as the
// program runs them.
#include <gtest/gtest.h>

#include "settings/dialog_template.h"
#include "tests/support/lang_resources_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

const uint32_t kDialogs[] = {IDD_KEYS,   IDD_LANGUAGE, IDD_FAVOURITES, IDD_BOOKMARKS,
                             IDD_NOTICE, IDD_OPTIONS,  IDD_PANE_DELAY, IDD_RAR_PASSWORD};

enum class Kind { Push, Check, Radio, Edit, ListBox, Combo, ListView };

struct ControlSpec {
    uint32_t dialog;
    uint32_t id;
    Kind kind;
    uint32_t styleBits;  // all of these must be set
};

const char* KindName(Kind k) {
    switch (k) {
        case Kind::Push:
            return "push button";
        case Kind::Check:
            return "check box";
        case Kind::Radio:
            return "radio button";
        case Kind::Edit:
            return "edit";
        case Kind::ListBox:
            return "list box";
        case Kind::Combo:
            return "combo box";
        case Kind::ListView:
            return "list view";
    }
    return "?";
}

// Every control the program's dialog procedures address.
std::vector<ControlSpec> RequiredControls() {
    std::vector<ControlSpec> v = {
        {IDD_KEYS, IDC_KEYS_LIST, Kind::ListView, LVS_REPORT},
        {IDD_KEYS, IDC_KEYS_KEY_NAMES, Kind::ListBox, LBS_NOTIFY},
        {IDD_KEYS, IDC_KEYS_MOUSE_NAMES, Kind::ListBox, LBS_NOTIFY},
        {IDD_KEYS, IDC_KEYS_PAGE_KEYS, Kind::Radio, 0},
        {IDD_KEYS, IDC_KEYS_PAGE_MOUSE, Kind::Radio, 0},
        {IDD_KEYS, IDC_KEYS_CTRL, Kind::Check, 0},
        {IDD_KEYS, IDC_KEYS_SHIFT, Kind::Check, 0},
        {IDD_KEYS, IDC_KEYS_ASSIGN, Kind::Push, 0},
        {IDD_KEYS, IDC_KEYS_REMOVE, Kind::Push, 0},
        {IDD_KEYS, IDC_KEYS_DEFAULTS, Kind::Push, 0},
        {IDD_KEYS, IDC_KEYS_CLOSE, Kind::Push, 0},
        {IDD_LANGUAGE, IDC_LANGUAGE_LIST, Kind::Combo,
         CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS},
        {IDD_BOOKMARKS, IDC_BOOKMARKS_CLEAR_ALL, Kind::Push, 0},
        {IDD_NOTICE, IDC_NOTICE_DONT_SHOW, Kind::Check, 0},
        {IDD_NOTICE, IDOK, Kind::Push, 0},
        {IDD_OPTIONS, IDC_OPTIONS_PLUGIN_FOLDER, Kind::Edit, 0},
        {IDD_OPTIONS, IDC_OPTIONS_BROWSE, Kind::Push, 0},
        {IDD_OPTIONS, IDC_OPTIONS_CLEAR, Kind::Push, 0},
        {IDD_OPTIONS, IDC_OPTIONS_PLUGIN_LIST, Kind::ListView, LVS_REPORT},
        {IDD_PANE_DELAY, IDC_PANE_DELAY_EDIT, Kind::Edit, ES_NUMBER},
        {IDD_RAR_PASSWORD, IDC_RAR_PASSWORD_EDIT, Kind::Edit, ES_PASSWORD},
    };
    for (uint32_t d :
         {IDD_LANGUAGE, IDD_FAVOURITES, IDD_BOOKMARKS, IDD_OPTIONS, IDD_PANE_DELAY, IDD_RAR_PASSWORD}) {
        v.push_back({d, IDOK, Kind::Push, 0});
        v.push_back({d, IDCANCEL, Kind::Push, 0});
    }
    for (uint32_t i = 0; i < FAVOURITE_ROWS; ++i) {
        v.push_back({IDD_FAVOURITES, IDC_FAVOURITE_EDIT_FIRST + i, Kind::Edit, 0});
        v.push_back({IDD_FAVOURITES, IDC_FAVOURITE_BROWSE_FIRST + i, Kind::Push, 0});
        v.push_back({IDD_FAVOURITES, IDC_FAVOURITE_CLEAR_FIRST + i, Kind::Push, 0});
    }
    for (uint32_t i = 0; i < BOOKMARK_ROWS; ++i) {
        v.push_back({IDD_BOOKMARKS, IDC_BOOKMARK_EDIT_FIRST + i, Kind::Edit, ES_READONLY});
        v.push_back({IDD_BOOKMARKS, IDC_BOOKMARK_CLEAR_FIRST + i, Kind::Push, 0});
    }
    return v;
}

bool IsKind(const DialogItem& item, Kind kind) {
    uint32_t buttonType = item.style & BS_TYPEMASK;
    switch (kind) {
        case Kind::Push:
            return IsClass(item, 0x80, u"Button") &&
                   (buttonType == BS_PUSHBUTTON || buttonType == BS_DEFPUSHBUTTON);
        case Kind::Check:
            return IsClass(item, 0x80, u"Button") &&
                   (buttonType == BS_CHECKBOX || buttonType == BS_AUTOCHECKBOX);
        case Kind::Radio:
            return IsClass(item, 0x80, u"Button") &&
                   (buttonType == BS_RADIOBUTTON || buttonType == BS_AUTORADIOBUTTON);
        case Kind::Edit:
            return IsClass(item, 0x81, u"Edit");
        case Kind::ListBox:
            return IsClass(item, 0x83, u"ListBox");
        case Kind::Combo:
            return IsClass(item, 0x85, u"ComboBox");
        case Kind::ListView:
            return IsClass(item, 0xFFFF, u"SysListView32");
    }
    return false;
}

bool IsGroupBox(const DialogItem& item) {
    return IsClass(item, 0x80, u"Button") && (item.style & BS_TYPEMASK) == BS_GROUPBOX;
}

struct Loaded {
    const LangLibrary* lib;
    uint32_t dialog;
    ResourceBytes bytes;
    DialogTemplate t;
};

// Every template of every library, parsed; a missing library fails the caller.
std::vector<Loaded> LoadAll() {
    std::vector<Loaded> all;
    size_t count = 0;
    LangLibrary* libs = LangLibraries(&count);
    for (size_t i = 0; i < count; ++i) {
        for (uint32_t d : kDialogs) {
            Loaded l{&libs[i], d, {}, {}};
            if (libs[i].module != nullptr) {
                l.bytes = FindResourceBytes(libs[i].module, MAKEINTRESOURCEW(5), d);
                l.t = ParseDialogTemplate(l.bytes.data, l.bytes.size);
            }
            all.push_back(l);
        }
    }
    return all;
}

std::string Where(const Loaded& l) {
    return std::string(l.lib->name) + " dialog " + std::to_string(l.dialog);
}

TEST(LangDialogTest, TemplatesAreExtendedWithSetFontAndPlainItems) {
    for (const Loaded& l : LoadAll()) {
        ASSERT_NE(l.lib->module, nullptr) << l.lib->name;
        ASSERT_NE(l.bytes.data, nullptr) << Where(l) << " is missing";
        EXPECT_EQ(l.t.version, 1) << Where(l);
        EXPECT_EQ(l.t.signature, 0xFFFF) << Where(l);
        ASSERT_TRUE(l.t.ok) << Where(l) << " does not parse";
        EXPECT_TRUE(l.t.style & DS_SETFONT) << Where(l);
        EXPECT_FALSE(l.t.title.empty()) << Where(l) << " has no caption";
        EXPECT_FALSE(l.t.face.empty()) << Where(l);
        EXPECT_LE(l.t.size, l.bytes.size) << Where(l);
        EXPECT_FALSE(l.t.items.empty()) << Where(l);
        for (const DialogItem& item : l.t.items) {
            EXPECT_FALSE(item.titleIsOrdinal) << Where(l) << " item " << static_cast<int32_t>(item.id);
            EXPECT_EQ(item.extraCount, 0) << Where(l) << " item " << static_cast<int32_t>(item.id);
        }
    }
}

TEST(LangDialogTest, NamedControlsExistWithTheirKind) {
    std::vector<Loaded> all = LoadAll();
    for (const ControlSpec& recipe : RequiredControls()) {
        for (const Loaded& l : all) {
            if (l.dialog != recipe.dialog) {
                continue;
            }
            const DialogItem* found = nullptr;
            for (const DialogItem& item : l.t.items) {
                if (item.id == recipe.id) {
                    found = &item;
                }
            }
            ASSERT_NE(found, nullptr) << Where(l) << " lacks control " << recipe.id;
            EXPECT_TRUE(IsKind(*found, recipe.kind))
                << Where(l) << " control " << recipe.id << " is not a " << KindName(recipe.kind);
            EXPECT_EQ(found->style & recipe.styleBits, recipe.styleBits)
                << Where(l) << " control " << recipe.id;
        }
    }
}

// Both libraries serve the same dialog procedures, and a duplicated identifier
// would hide a control from them.
TEST(LangDialogTest, ControlIdsAreUniqueAndTheSameInBothLanguages) {
    std::vector<Loaded> all = LoadAll();
    const size_t perLibrary = sizeof(kDialogs) / sizeof(kDialogs[0]);
    ASSERT_EQ(all.size(), 2 * perLibrary);
    for (size_t k = 0; k < all.size(); ++k) {
        std::vector<uint32_t> ids;
        for (const DialogItem& item : all[k].t.items) {
            if (item.id != static_cast<uint32_t>(IDC_STATIC_TEXT)) {
                ids.push_back(item.id);
            }
        }
        std::sort(ids.begin(), ids.end());
        EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end()) << Where(all[k]) << " repeats an id";
        if (k < perLibrary) {
            std::vector<uint32_t> other;
            for (const DialogItem& item : all[k + perLibrary].t.items) {
                if (item.id != static_cast<uint32_t>(IDC_STATIC_TEXT)) {
                    other.push_back(item.id);
                }
            }
            std::sort(other.begin(), other.end());
            EXPECT_EQ(ids, other) << "dialog " << all[k].dialog << " differs between the languages";
        }
    }
}

// Visible controls stay inside the dialog with a margin and do not cover each
// other (group boxes frame others by design; a combo box's height is its list).
TEST(LangDialogTest, LayoutKeepsControlsInsideAndApart) {
    const int kMargin = 4;
    const int kComboFieldHeight = 14;
    for (const Loaded& l : LoadAll()) {
        ASSERT_TRUE(l.t.ok) << Where(l);
        std::vector<RECT> boxes;
        std::vector<uint32_t> ids;
        for (const DialogItem& item : l.t.items) {
            if (!(item.style & WS_VISIBLE)) {
                continue;
            }
            int height =
                IsClass(item, 0x85, u"ComboBox") ? std::min<int>(item.cy, kComboFieldHeight) : item.cy;
            RECT r{item.x, item.y, item.x + item.cx, item.y + height};
            std::string name = Where(l) + " item " + std::to_string(static_cast<int32_t>(item.id)) + " \"" +
                               std::string(item.title.begin(), item.title.end()) + "\"";
            EXPECT_TRUE(item.cx > 0 && item.cy > 0) << name;
            EXPECT_TRUE(r.left >= kMargin && r.top >= kMargin && r.right <= l.t.cx - kMargin &&
                        r.bottom <= l.t.cy - kMargin)
                << name << " leaves the dialog";
            if (IsGroupBox(item)) {
                continue;
            }
            for (size_t j = 0; j < boxes.size(); ++j) {
                RECT both;
                EXPECT_FALSE(IntersectRect(&both, &r, &boxes[j]))
                    << name << " overlaps item " << static_cast<int32_t>(ids[j]);
            }
            boxes.push_back(r);
            ids.push_back(item.id);
        }
    }
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// As the program runs a dialog: a copy of the template with the point size set to
// 9, created with this module's procedure; every named control must come up.
TEST(LangDialogTest, CreatesFromANinePointCopy) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&icc));
    std::vector<ControlSpec> specs = RequiredControls();
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    for (const Loaded& l : LoadAll()) {
        ASSERT_TRUE(l.t.ok && l.t.hasFont) << Where(l);
        // The program's own walk agrees with the item-by-item parse.
        DialogTemplateShape shape = WalkDialogTemplate(l.bytes.data, l.bytes.size);
        ASSERT_TRUE(shape.ok) << Where(l);
        EXPECT_EQ(shape.size, l.t.size) << Where(l);
        EXPECT_EQ(shape.pointSizeOffset, l.t.pointSizeOffset) << Where(l);
        std::vector<uint32_t> copy((shape.size + 3) / 4);
        ASSERT_TRUE(CopyDialogTemplateAtPointSize(l.bytes.data, shape, 9,
                                                  reinterpret_cast<uint8_t*>(copy.data()), copy.size() * 4))
            << Where(l);

        HWND dlg = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                              reinterpret_cast<LPCDLGTEMPLATEW>(copy.data()), nullptr,
                                              QuietDialogProc, 0);
        ASSERT_NE(dlg, nullptr) << Where(l) << " error " << GetLastError();
        for (const ControlSpec& recipe : specs) {
            if (recipe.dialog == l.dialog) {
                EXPECT_NE(GetDlgItem(dlg, static_cast<int>(recipe.id)), nullptr)
                    << Where(l) << " control " << recipe.id << " was not created";
            }
        }
        auto font = reinterpret_cast<HFONT>(SendMessageW(dlg, WM_GETFONT, 0, 0));
        LOGFONTW lf{};
        ASSERT_NE(font, nullptr) << Where(l);
        ASSERT_NE(GetObjectW(font, sizeof(lf), &lf), 0) << Where(l);
        EXPECT_EQ(lf.lfHeight, -MulDiv(9, dpi, 72)) << Where(l);
        DestroyWindow(dlg);
    }
}

}  // namespace
