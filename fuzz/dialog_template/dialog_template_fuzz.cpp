// libFuzzer target over the dialog-template walk that every dialog of the
// program goes through: a damaged language library must give a refused template,
// never a read past the resource or a copy that reaches beyond it.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "settings/dialog_template.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The resource's own bytes and nothing after them, so ASan sees any overrun.
    std::vector<uint8_t> exact(data, data + size);
    DialogTemplateShape shape = WalkDialogTemplate(exact.data(), exact.size());
    if (!shape.ok) {
        return 0;
    }
    if (shape.size > size || (shape.hasFont && shape.pointSizeOffset + 2 > shape.size)) {
        std::abort();
    }
    std::vector<uint8_t> copy((shape.size + 3) & ~size_t{3});
    bool copied = CopyDialogTemplateAtPointSize(exact.data(), shape, 9, copy.data(), copy.size());
    if (copied != shape.hasFont) {
        std::abort();
    }
    // The copy walks to the same shape: the point size is no part of the layout.
    if (copied) {
        DialogTemplateShape again = WalkDialogTemplate(copy.data(), shape.size);
        if (!again.ok || again.size != shape.size || copy[shape.pointSizeOffset] != 9) {
            std::abort();
        }
    }
    return 0;
}
