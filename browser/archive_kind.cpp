#include "browser/archive_kind.h"

#include "app/str_buf.h"
#include "app/text.h"
#include "settings/settings.h"

uint32_t ArchiveKindOfFile(const char16_t* name, uint32_t n, const ArchiveKindRules& rules) {
    const uint32_t dot = ExtensionStart(name, n);
    if (dot >= n) {
        return 0;
    }
    const char16_t* ext = name + dot;
    const uint32_t m = n - dot;
    if (EqualsNoCaseN(ext, m, u".zip", 4)) {
        return kKindZip;
    }
    if (rules.rarAvailable && EqualsNoCaseN(ext, m, u".rar", 4)) {
        return kKindRar;
    }
    if (rules.pluginExtensions != nullptr) {
        for (uint32_t i = 0; i < rules.pluginExtensions->count; ++i) {
            const StrBuf& e = rules.pluginExtensions->items[i];
            if (e.length > 1 && EqualsNoCaseN(ext, m, e.Text(), e.length)) {
                return kKindPlugin;
            }
        }
    }
    return 0;
}
