#include "ui/settings_io.h"

#include "decode/blend_table.h"
#include "settings/settings.h"
#include "settings/settings_locate.h"
#include "settings/settings_writer.h"
#include "ui/command_table.h"
#include "ui/full_screen_win.h"

namespace {
bool IsProgramCommand(int32_t command) {
    return FindCommand(command) != nullptr;
}

SettingsPlatformOps ProgramOps() {
    SettingsPlatformOps ops = PlatformSettingsOps();
    ops.fillBlendTable = FillBlendTable;
    ops.isCommand = IsProgramCommand;
    return ops;
}
}  // namespace

bool BeginSettingsLoad(SettingsReader* reader) {
    if (SettingsLocate(PlatformSettingsOps(), &gSettingsPath) == SettingsLocation::kFailed) {
        return false;
    }
    // A missing or damaged file leaves the reader "not read": every field keeps
    // its default.
    (void)SettingsReaderOpenFile(reader, gSettingsPath.Text());
    SettingsReadLanguage(*reader, &gSettings);
    return true;
}

void FinishSettingsLoad(SettingsReader* reader) {
    SettingsReadMain(*reader, &gSettings, ProgramOps());
    SettingsReadWindow(*reader, &gSettings);
}

void SaveProgramSettings(HWND mainWindow, HACCEL accelerators) {
    if (gSettingsPath.length == 0) {
        return;
    }
    WindowAtExit w;
    FillWindowAtExit(&w);
    if (w.fullScreen || ReadWindowPlacementAtExit(mainWindow, &w)) {
        SettingsTakeWindowAtExit(&gSettings, w);
    }
    // A table that cannot be read leaves the records read at start to be saved.
    if (accelerators != nullptr) {
        (void)StoreAccelTableInSettings(accelerators, &gSettings);
    }
    // A failed save leaves the previous file untouched; nothing to tell the user.
    (void)SettingsWrite(gSettingsPath.Text(), gSettings, ProgramOps(), PlatformSettingsFileOps());
}
