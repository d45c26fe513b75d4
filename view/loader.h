// Page decoding for the reading view, and the portable core of the page-loader
// thread: what a load request and a load result hold, how one page is decoded
// (on either thread), and how the loader handles a request and sweeps away the
// requests that a later cancel marker made obsolete.
//
// Decoding goes through DecodeOps (RealDecodeOps calls OpenImageFile, or
// FetchArchiveMember then OpenImageMemory) so that tests can count decodes and
// make them fail. The loader's queue is reached through LoaderQueueOps: the
// Windows loader fills it with the message queue of its message-only window
// (loader_win.cpp), the native build with a locked FIFO (loader_queue.h), and
// tests with a FIFO they drain themselves.
//
// Ownership: a LoadRequest is built on the user-interface thread and belongs to
// the loader from the moment it is posted; the loader frees it after decoding or
// when a cancel marker drops it. A LoadResult is allocated on the loader thread
// and belongs to the user-interface thread from the moment it is delivered; a
// result that cannot be delivered is freed by the loader. Neither side ever
// touches the other's records after the hand-over.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "app/str_buf.h"
#include "decode/image_probe.h"
#include "platform/vm.h"
#include "view/display_copy.h"
#include "view/page_image.h"

struct BookState;

// Window messages of the page loader (application range).
constexpr uint32_t WM_PAGE_LOADED = 0x8000;   // to the main window: wparam slot, lparam LoadResult*
constexpr uint32_t WM_LOAD_PAGE = 0x800A;     // to the loader: wparam slot, lparam LoadRequest*
constexpr uint32_t WM_CANCEL_LOADS = 0x800B;  // marker: every request queued before it is dropped
constexpr uint32_t WM_LOADER_QUIT = 0x800C;   // the loader ends

// The decoders as the page cache and the loader call them. Each entry may run on
// either thread at the same time; fakes must be thread-safe.
struct DecodeOps {
    void* context;
    // *orientation is 1 on entry; a JPEG sets its EXIF orientation.
    DecodedImage* (*openFile)(void* ctx, const char16_t* path, int32_t* orientation);
    // *locator: in the member's locator, out the block's size.
    uint8_t* (*fetchMember)(void* ctx, int32_t kind, const char16_t* archivePath, uint32_t* locator);
    // Takes the block over and always frees it.
    DecodedImage* (
        *openMemory)(void* ctx, const char16_t* name, uint8_t* block, size_t size, int32_t* orientation);
    // The picture's size after turning upright, from its header alone (decode/
    // image_probe.h); false when the header does not tell. Either may be null:
    // the shape is then learnt by decoding.
    bool (*probeFile)(void* ctx, const char16_t* path, PictureProbe* out);
    bool (*probeMemory)(void* ctx, const uint8_t* data, size_t size, PictureProbe* out);
};

// OpenImageFile, FetchArchiveMember and OpenImageMemory.
const DecodeOps* RealDecodeOps();

// What the loader needs to decode one page, copied from the page list so that
// the loader never reads the list.
struct LoadRequest {
    int32_t pageIndex = 0;
    int32_t kind = 0;      // BookKind
    StrBuf path;           // the file (folder kinds) or the archive (archive kinds)
    StrBuf name;           // archives: the member's name
    uint32_t locator = 0;  // archives: the member's locator
    // The read-ahead generation the request was made in; a result of an older
    // one (the book was replaced or a page removed since) is not stored.
    uint32_t generation = 0;
    // Read-ahead: the most bytes the picture may take (what the budget has left
    // when the request is made); 0 for the program's own picture limit only.
    uint64_t byteLimit = 0;
    // The display copy to make beside the picture (viewWidth 0: none).
    CopyPlan copyPlan{};
};

// Fills request for page index of the open book: folder kinds take the page's
// file path, archive kinds the archive path, the member's name and locator.
// False when the index is out of range, the path is empty or the heap refuses.
[[nodiscard]] bool FillLoadRequest(const BookState* book, int32_t index, LoadRequest* request);
// The same on the application heap, for posting; null on failure.
[[nodiscard]] LoadRequest* NewLoadRequest(const BookState* book, int32_t index);
void FreeLoadRequest(LoadRequest* request);

// An archive member fetched for a probe, kept for the decode that may follow so
// that the member is read once. Freed with the record when no decode takes it.
struct FetchedMember {
    VmBlock block;
    uint32_t size = 0;
};

// Reads the header of the page a request names: the file's, or the member's
// (fetched into *member, which DecodePage then decodes). True with the size
// the picture will have, turned upright; false when the format has no probe or
// the header cannot be read.
[[nodiscard]] bool ProbePage(const DecodeOps* ops,
                             const LoadRequest& request,
                             FetchedMember* member,
                             PictureProbe* size);

// Decodes the page a request names into page (index, header, palette, pixels),
// turned upright. False (page untouched) when nothing could decode it. An
// archive member already fetched (member, may be null or empty) is decoded
// instead of being read again; the decode takes its block over.
[[nodiscard]] bool DecodePage(const DecodeOps* ops,
                              const LoadRequest& request,
                              PageImage* page,
                              FetchedMember* member = nullptr);

// The most bytes the pixel block of a picture of this size may take (24 bits a
// pixel, the widest the decoders produce for a page).
[[nodiscard]] uint64_t ProbedPictureBytes(const PictureProbe& size);

// The page the loader decodes at this moment, published for the user-interface
// thread: a page it wants while the loader is decoding it is waited for, not
// decoded a second time beside it, and the bytes that decode may take count
// against the picture budget. Written by the loader thread only.
// The other way round, the user-interface thread marks the page it decodes at
// once (claimed): the loader skips a request for that page instead of decoding it
// a second time beside it. Each side publishes its mark before it looks at the
// other's, so at least one of them sees the other; when both do, the loader
// skips and the user-interface thread, having waited for nothing, decodes.
struct LoaderBusy {
    std::atomic<uint64_t> page{0};     // generation << 32 | (pageIndex + 1); 0 while idle
    std::atomic<uint64_t> bytes{0};    // the most the decode may allocate (0 while idle)
    std::atomic<uint64_t> claimed{0};  // same key; written by the user-interface thread only
};

// True while the loader decodes this page of this read-ahead generation.
[[nodiscard]] bool LoaderBusyWith(const LoaderBusy* busy, uint32_t generation, int32_t pageIndex);
[[nodiscard]] uint64_t LoaderBusyBytes(const LoaderBusy* busy);
// Marks this page as decoded on the user-interface thread; pageIndex < 0 clears it.
void LoaderClaimPage(LoaderBusy* busy, uint32_t generation, int32_t pageIndex);

// A decoded read-ahead page on its way to the user-interface thread.
struct LoadResult {
    PageImage page;
    uint32_t generation;  // copied from the request
};

void FreeLoadResult(LoadResult* result);

// Hands a result to the user-interface thread (posts WM_PAGE_LOADED). True: the
// receiver owns it now; false: it was not delivered and the loader frees it.
// busy (may be null) is set while a request is decoded and cleared only after its
// result was delivered or dropped.
struct LoaderSink {
    void* context;
    bool (*deliver)(void* ctx, int32_t slot, LoadResult* result);
    LoaderBusy* busy = nullptr;
};

// One message of the loader's queue.
struct LoaderMessage {
    uint32_t message;  // WM_LOAD_PAGE, WM_CANCEL_LOADS or WM_LOADER_QUIT
    int32_t slot;
    LoadRequest* request;  // WM_LOAD_PAGE only
};

// The loader thread's own view of its queue, used while it handles a message.
struct LoaderQueueOps {
    void* context;
    // True when a message with this number is waiting; nothing is removed.
    bool (*peek)(void* ctx, uint32_t message);
    // Removes the oldest waiting message whose number lies in first..last.
    bool (*take)(void* ctx, uint32_t first, uint32_t last, LoaderMessage* out);
};

// WM_LOAD_PAGE on the loader thread: decode, deliver the result (or drop it when
// nothing decoded or memory ran out), free the request, then sweep the queue.
void LoaderHandleLoad(const DecodeOps* decode,
                      const LoaderSink* sink,
                      const LoaderQueueOps* queue,
                      int32_t slot,
                      LoadRequest* request);
// While a cancel marker is waiting, removes the queued requests and markers in
// queue order up to and including a marker; the requests so removed are freed
// undone. Requests posted after the last marker stay queued. Returns the number
// of requests dropped.
int32_t SweepCancelledLoads(const LoaderQueueOps* queue);
// At quit: frees every request still queued, so none is lost with the queue.
void DrainLoads(const LoaderQueueOps* queue);

// One message as the loader's loop dispatches it. Returns false for
// WM_LOADER_QUIT (after draining the queue), true otherwise.
bool LoaderDispatch(const DecodeOps* decode,
                    const LoaderSink* sink,
                    const LoaderQueueOps* queue,
                    const LoaderMessage& message);

// Where the loader runs at the moment: idle while nothing waits for it, normal
// from a planning until its next result or the next show.
enum class LoaderPriority : uint8_t { kIdle, kNormal };

// The user-interface thread's link to the loader. Missing entries do nothing (a
// request that is not posted is freed by the caller).
struct LoaderOps {
    void* context;
    void (*setPriority)(void* ctx, LoaderPriority priority);
    bool (*postCancel)(void* ctx);
    // True: the loader owns the request now.
    bool (*postLoad)(void* ctx, int32_t slot, LoadRequest* request);
    // Hands the results the loader has delivered so far to OnPageLoaded; then,
    // when the loader is decoding this page of this generation now, waits until
    // its result is delivered and handed on too (with every other result that
    // arrived meanwhile); true when it waited. Does not wait when the loader is
    // busy with anything else or idle.
    bool (*awaitPage)(void* ctx, uint32_t generation, int32_t pageIndex) = nullptr;
    // The most bytes the loader's decode in progress may still allocate.
    uint64_t (*busyBytes)(void* ctx) = nullptr;
    // True while the loader decodes this page of this generation; never waits.
    bool (*decoding)(void* ctx, uint32_t generation, int32_t pageIndex) = nullptr;
    // Marks the page this thread is about to decode at once (pageIndex < 0
    // clears the mark), so that the loader skips a request for it.
    void (*claimPage)(void* ctx, uint32_t generation, int32_t pageIndex) = nullptr;
};
