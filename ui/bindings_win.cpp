// Key bindings made live, and the run-time language switch: the accelerator
// table from the bindings, the menus built again, the interface font replaced
// where it is in use before the old one goes.
#include "settings/key_bindings.h"
#include "settings/key_names.h"
#include "settings/settings.h"
#include "ui/app_state.h"
#include "ui/menus.h"
#include "ui/pane.h"
#include "ui/startup.h"
#include "ui/tool_bar.h"

namespace {

int FontTextHeight(HFONT font) {
    HWND window = gApp.mainWindow;
    WindowDc dc(window);
    TEXTMETRICW tm{};
    if (dc.get() == nullptr) {
        return gApp.textHeight;
    }
    SelectGuard select(dc.get(), font);
    return GetTextMetricsW(dc.get(), &tm) ? tm.tmHeight : gApp.textHeight;
}

}  // namespace

void ApplyBindings() {
    // The settings' records are the table itself: the bindings with a key in
    // binding order, then the stored records of commands no binding carries.
    // A table left empty by the user is saved empty.
    AccelRecord table[kMaxAccelRecords];
    uint32_t count = AccelTableFromKeyBindings(gSettings.keyBindings, table);
    for (uint32_t i = 0; i < gSettings.keyTableCount && count < kMaxAccelRecords; ++i) {
        if (!IsBindingCommand(gSettings.keyTable[i].command)) {
            table[count++] = gSettings.keyTable[i];
        }
    }
    for (uint32_t i = 0; i < count; ++i) {
        gSettings.keyTable[i] = table[i];
    }
    gSettings.keyTableCount = count;
    gApp.accelerators.reset(static_cast<HACCEL>(CreateAccelTableFromSettings(gSettings)));
    DestroyMenus();
    BuildMenus();
}

void CommandKeyText(int command, StrBuf* out) {
    out->Assign(u"");
    for (const KeyBinding& b : gSettings.keyBindings) {
        if (b.command == command) {
            KeyText(b, out);
            return;
        }
    }
}

void ReloadAfterLanguageChange() {
    KeyBindingsFromAccelTable(gSettings.keyTable, gSettings.keyTableCount, gSettings.keyBindings);
    DestroyMenus();
    BuildMenus();
    FontOwner font(CreateInterfaceFont());
    if (font.valid()) {
        // The new font goes in everywhere before the old one is deleted.
        if (gApp.imageDc != nullptr) {
            SelectObject(gApp.imageDc, font.get());
        }
        if (gApp.pageText != nullptr) {
            SendMessageW(gApp.pageText, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
        }
        gApp.textHeight = FontTextHeight(font.get());
        gApp.interfaceFont = static_cast<FontOwner&&>(font);
    }
    RefreshToolTips();
    PaneRetext();
    if (gApp.imageView != nullptr) {
        InvalidateRect(gApp.imageView, nullptr, FALSE);
    }
}
