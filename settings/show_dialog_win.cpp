#include "settings/show_dialog_win.h"

#include "app/str_buf.h"
#include "platform/heap.h"
#include "settings/dialog_template.h"
#include "settings/language.h"

namespace {
constexpr uint16_t kDialogPoints = 9;
}  // namespace

namespace {

// The 9-point copy of template templateId of the language library, DWORD-aligned
// as the dialog manager requires; empty when the template is missing, damaged or
// lacks the set-font style.
AppPtr<uint32_t> TemplateCopy(int templateId) {
    auto library = static_cast<HMODULE>(LanguageModule());
    if (library == nullptr) {
        return {};
    }
    HRSRC found = FindResourceW(library, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5));
    HGLOBAL loaded = found != nullptr ? LoadResource(library, found) : nullptr;
    const auto* bytes = loaded != nullptr ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    if (bytes == nullptr) {
        return {};
    }
    DialogTemplateShape shape = WalkDialogTemplate(bytes, SizeofResource(library, found));
    if (!shape.ok || !shape.hasFont) {
        return {};
    }
    const size_t words = (shape.size + 3) / 4;
    AppPtr<uint32_t> copy(AppAllocArrayZero<uint32_t>(words));
    if (copy.get() == nullptr ||
        !CopyDialogTemplateAtPointSize(bytes, shape, kDialogPoints, reinterpret_cast<uint8_t*>(copy.get()),
                                       words * 4)) {
        return {};
    }
    return copy;
}

}  // namespace

INT_PTR ShowDialog(HWND owner, int templateId, DLGPROC proc, LPARAM param) {
    AppPtr<uint32_t> copy = TemplateCopy(templateId);
    if (copy.get() == nullptr) {
        return 0;
    }
    INT_PTR result = DialogBoxIndirectParamW(
        GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(copy.get()), owner, proc, param);
    return result == -1 ? 0 : result;
}

HWND CreateLanguageDialog(HWND owner, int templateId, DLGPROC proc, LPARAM param) {
    AppPtr<uint32_t> copy = TemplateCopy(templateId);
    if (copy.get() == nullptr) {
        return nullptr;
    }
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                      reinterpret_cast<LPCDLGTEMPLATEW>(copy.get()), owner, proc, param);
}

uint32_t AssignFromDialogItem(HWND dialog, int controlId, StrBuf* out) {
    HWND item = GetDlgItem(dialog, controlId);
    int length = item != nullptr ? GetWindowTextLengthW(item) : 0;
    out->ResetReserve(length > 0 ? static_cast<uint32_t>(length) : 0);
    if (out->buffer == nullptr || length <= 0) {
        out->length = 0;
        return 0;
    }
    int n = GetWindowTextW(item, reinterpret_cast<wchar_t*>(out->buffer), length + 1);
    out->length = n > 0 ? static_cast<uint32_t>(n) : 0;
    out->buffer[out->length] = 0;
    return out->length;
}
