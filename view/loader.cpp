#include "view/loader.h"

#include <new>

#include "archive/fetch_member.h"
#include "decode/open_image.h"
#include "decode/picture_limit.h"
#include "platform/heap.h"
#include "view/book.h"
#include "view/display_copy.h"
#include "view/turn_upright.h"

namespace {

DecodedImage* RealOpenFile(void*, const char16_t* path, int32_t* orientation) {
    return OpenImageFile(path, orientation);
}

uint8_t* RealFetchMember(void*, int32_t kind, const char16_t* archivePath, uint32_t* locator) {
    return FetchArchiveMember(kind, archivePath, locator);
}

DecodedImage* RealOpenMemory(void*, const char16_t* name, uint8_t* block, size_t size, int32_t* orientation) {
    return OpenImageMemory(name, block, size, orientation);
}

bool RealProbeFile(void*, const char16_t* path, PictureProbe* out) {
    return ProbeImageFile(path, out);
}

bool RealProbeMemory(void*, const uint8_t* data, size_t size, PictureProbe* out) {
    return ProbeImageMemory(data, size, out);
}

const DecodeOps kRealDecodeOps = {nullptr,        RealOpenFile,  RealFetchMember,
                                  RealOpenMemory, RealProbeFile, RealProbeMemory};

bool IsArchiveKind(int32_t kind) {
    return kind >= kBookZip;
}

}  // namespace

const DecodeOps* RealDecodeOps() {
    return &kRealDecodeOps;
}

bool FillLoadRequest(const BookState* book, int32_t index, LoadRequest* request) {
    if (book->pages == nullptr || index < 0 || index >= book->pageCount) {
        return false;
    }
    const PageEntry& entry = book->pages->entries[index];
    request->pageIndex = index;
    request->kind = book->book.kind;
    request->locator = 0;
    request->path.Release();
    request->name.Release();
    if (!IsArchiveKind(request->kind)) {
        return PageFilePath(book, index, &request->path) && request->path.length > 0;
    }
    request->path.Assign(book->book.path.Text());
    request->name.Assign(entry.name.Text());
    request->locator = entry.locator;
    return request->path.length == book->book.path.length && request->path.length > 0 &&
           request->name.length == entry.name.length;
}

LoadRequest* NewLoadRequest(const BookState* book, int32_t index) {
    void* raw = AppAllocZero(sizeof(LoadRequest));
    if (raw == nullptr) {
        return nullptr;
    }
    LoadRequest* request = new (raw) LoadRequest();
    if (!FillLoadRequest(book, index, request)) {
        FreeLoadRequest(request);
        return nullptr;
    }
    return request;
}

void FreeLoadRequest(LoadRequest* request) {
    if (request != nullptr) {
        request->~LoadRequest();
        AppFree(request);
    }
}

bool ProbePage(const DecodeOps* ops, const LoadRequest& request, FetchedMember* member, PictureProbe* size) {
    if (!IsArchiveKind(request.kind)) {
        return ops->probeFile != nullptr && ops->probeFile(ops->context, request.path.Text(), size);
    }
    if (ops->probeMemory == nullptr) {
        return false;
    }
    uint32_t bytes = request.locator;
    member->block.reset(ops->fetchMember(ops->context, request.kind, request.path.Text(), &bytes));
    member->size = member->block.get() != nullptr ? bytes : 0;
    return member->size > 0 && ops->probeMemory(ops->context, member->block.get(), member->size, size);
}

bool DecodePage(const DecodeOps* ops, const LoadRequest& request, PageImage* page, FetchedMember* member) {
    int32_t orientation = 1;
    DecodedImage* image = nullptr;
    if (IsArchiveKind(request.kind)) {
        uint32_t size = request.locator;
        uint8_t* block = nullptr;
        if (member != nullptr && member->block.get() != nullptr) {
            size = member->size;
            block = member->block.release();
        } else {
            block = ops->fetchMember(ops->context, request.kind, request.path.Text(), &size);
        }
        if (block != nullptr) {
            image = ops->openMemory(ops->context, request.name.Text(), block, size, &orientation);
        }
    } else {
        image = ops->openFile(ops->context, request.path.Text(), &orientation);
    }
    if (image == nullptr) {
        return false;
    }
    if (image->pixels == nullptr) {
        FreeDecodedImage(image);
        return false;
    }
    TakeDecodedImage(page, request.pageIndex, image);
    if (orientation != 1) {
        // A picture that cannot be turned is still shown, as decoded.
        TurnUpright(page, orientation);
    }
    return true;
}

uint64_t ProbedPictureBytes(const PictureProbe& size) {
    return uint64_t{RowStride(size.width, 24)} * size.height + 4;
}

namespace {

uint64_t BusyKey(uint32_t generation, int32_t pageIndex) {
    return uint64_t{generation} << 32 | static_cast<uint32_t>(pageIndex + 1);
}

// Marks a request as the loader's decode in progress while it lives.
class BusyScope {
  public:
    BusyScope(LoaderBusy* busy, const LoadRequest& request) : busy_(busy) {
        if (busy_ != nullptr) {
            busy_->bytes.store(request.byteLimit != 0 ? request.byteLimit : PictureByteLimit());
            busy_->page.store(BusyKey(request.generation, request.pageIndex));
        }
    }
    ~BusyScope() {
        if (busy_ != nullptr) {
            busy_->page.store(0);
            busy_->bytes.store(0);
        }
    }
    // The header told the picture's size: only that much is coming.
    void Narrow(uint64_t bytes) {
        if (busy_ != nullptr && bytes < busy_->bytes.load()) {
            busy_->bytes.store(bytes);
        }
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    LoaderBusy* busy_;
};

}  // namespace

bool LoaderBusyWith(const LoaderBusy* busy, uint32_t generation, int32_t pageIndex) {
    return busy != nullptr && busy->page.load() == BusyKey(generation, pageIndex);
}

uint64_t LoaderBusyBytes(const LoaderBusy* busy) {
    return busy != nullptr ? busy->bytes.load() : 0;
}

void LoaderClaimPage(LoaderBusy* busy, uint32_t generation, int32_t pageIndex) {
    if (busy != nullptr) {
        busy->claimed.store(pageIndex < 0 ? 0 : BusyKey(generation, pageIndex));
    }
}

void FreeLoadResult(LoadResult* result) {
    if (result != nullptr) {
        ReleasePageImage(&result->page);
        AppFree(result);
    }
}

namespace {

bool ClaimedByViewer(const LoaderBusy* busy, const LoadRequest& request) {
    return busy != nullptr && busy->claimed.load() == BusyKey(request.generation, request.pageIndex);
}

// Decodes the request into result and hands it on; result is freed when nothing
// decoded or it could not be delivered.
void DecodeAndDeliver(const DecodeOps* decode,
                      const LoaderSink* sink,
                      int32_t slot,
                      const LoadRequest& request,
                      BusyScope* busy,
                      LoadResult* result) {
    const PictureLimitScope limit(request.byteLimit);
    // The header first, so that the user-interface thread learns how much is
    // coming; an archive member fetched for it is decoded, not read again.
    FetchedMember member;
    PictureProbe size;
    if (ProbePage(decode, request, &member, &size)) {
        busy->Narrow(ProbedPictureBytes(size));
    }
    if (!DecodePage(decode, request, &result->page, &member)) {
        AppFree(result);
        return;
    }
    AddForeseenCopy(&result->page, request.copyPlan, request.byteLimit);
    if (!sink->deliver(sink->context, slot, result)) {
        FreeLoadResult(result);
    }
}

}  // namespace

void LoaderHandleLoad(const DecodeOps* decode,
                      const LoaderSink* sink,
                      const LoaderQueueOps* queue,
                      int32_t slot,
                      LoadRequest* request) {
    // Out of memory for the result record: the request is dropped quietly and the
    // page is decoded at once when it is wanted.
    auto* result = static_cast<LoadResult*>(AppAllocZero(sizeof(LoadResult)));
    if (result != nullptr) {
        result->generation = request->generation;
        BusyScope busy(sink->busy, *request);
        if (ClaimedByViewer(sink->busy, *request)) {
            AppFree(result);  // the user-interface thread decodes this page itself
        } else {
            DecodeAndDeliver(decode, sink, slot, *request, &busy, result);
        }
    }
    FreeLoadRequest(request);
    SweepCancelledLoads(queue);
}

int32_t SweepCancelledLoads(const LoaderQueueOps* queue) {
    int32_t dropped = 0;
    while (queue->peek(queue->context, WM_CANCEL_LOADS)) {
        LoaderMessage m;
        bool markerRemoved = false;
        while (queue->take(queue->context, WM_LOAD_PAGE, WM_CANCEL_LOADS, &m)) {
            if (m.message == WM_CANCEL_LOADS) {
                markerRemoved = true;
                break;
            }
            FreeLoadRequest(m.request);
            ++dropped;
        }
        if (!markerRemoved) {
            break;  // the marker seen went away by other means; nothing left to sweep
        }
    }
    return dropped;
}

void DrainLoads(const LoaderQueueOps* queue) {
    LoaderMessage m;
    while (queue->take(queue->context, WM_LOAD_PAGE, WM_CANCEL_LOADS, &m)) {
        if (m.message == WM_LOAD_PAGE) {
            FreeLoadRequest(m.request);
        }
    }
}

bool LoaderDispatch(const DecodeOps* decode,
                    const LoaderSink* sink,
                    const LoaderQueueOps* queue,
                    const LoaderMessage& message) {
    switch (message.message) {
        case WM_LOAD_PAGE:
            LoaderHandleLoad(decode, sink, queue, message.slot, message.request);
            return true;
        case WM_LOADER_QUIT:
            DrainLoads(queue);
            return false;
        default:
            // A marker met on its own: everything queued before it was handled.
            return true;
    }
}
