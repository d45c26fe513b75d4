#include "view/file_list_rows.h"

#include "app/str_buf.h"
#include "app/text.h"
#include "view/book.h"

namespace {

int32_t NoIcon(void*, const char16_t*) {
    return 0;
}
void NoRow(void*, int32_t, int32_t) {}
int32_t NoWidth(void*, const char16_t*, uint32_t) {
    return 0;
}
void NoColumn(void*, int32_t) {}

}  // namespace

void ClearFileList(const FileListOps* ops) {
    if (ops != nullptr && ops->clear != nullptr) {
        ops->clear(ops->context);
    }
}

void PublishToFileList(const BookState* book, const FileListOps* ops) {
    if (book->pages == nullptr || ops == nullptr) {
        return;
    }
    void* ctx = ops->context;
    auto* iconIndex = ops->iconIndex != nullptr ? ops->iconIndex : NoIcon;
    auto* insertRow = ops->insertRow != nullptr ? ops->insertRow : NoRow;
    auto* measureName = ops->measureName != nullptr ? ops->measureName : NoWidth;
    auto* setColumnWidth = ops->setColumnWidth != nullptr ? ops->setColumnWidth : NoColumn;
    const char16_t* lastExt = nullptr;
    uint32_t lastExtLength = 0;
    int32_t icon = 0;
    int32_t widest = 0;
    if (ops->beginRows != nullptr) {
        ops->beginRows(ctx, book->pageCount);
    }
    for (int32_t i = 0; i < book->pageCount; ++i) {
        const StrBuf& name = book->pages->entries[i].name;
        const uint32_t start = ExtensionStart(name.Text(), name.length);
        const char16_t* ext = name.Text() + start;
        const uint32_t extLength = name.length - start;
        if (lastExt == nullptr || !EqualsNoCaseN(ext, extLength, lastExt, lastExtLength)) {
            // A name without an extension is asked for whole.
            icon = iconIndex(ctx, extLength > 0 ? ext : name.Text());
            lastExt = ext;
            lastExtLength = extLength;
        }
        insertRow(ctx, i, icon);
        const int32_t width = measureName(ctx, name.Text(), name.length);
        if (width > widest) {
            widest = width;
        }
    }
    setColumnWidth(ctx, widest);
    if (ops->endRows != nullptr) {
        ops->endRows(ctx);
    }
}
