#include "view/loader_queue.h"

#include "platform/heap.h"

struct LoaderQueueNode {
    LoaderQueueNode* next;
    LoaderMessage message;
};

bool LoaderQueuePost(LoaderQueue* queue, uint32_t message, int32_t slot, LoadRequest* request) {
    auto* node = static_cast<LoaderQueueNode*>(AppAllocZero(sizeof(LoaderQueueNode)));
    if (node == nullptr) {
        return false;
    }
    node->message = LoaderMessage{message, slot, request};
    if (queue->tail != nullptr) {
        queue->tail->next = node;
    } else {
        queue->head = node;
    }
    queue->tail = node;
    ++queue->count;
    if (message == WM_LOAD_PAGE) {
        ++queue->postedLoads;
    } else if (message == WM_CANCEL_LOADS) {
        ++queue->postedMarkers;
    }
    return true;
}

bool LoaderQueuePeek(const LoaderQueue* queue, uint32_t message) {
    for (const LoaderQueueNode* n = queue->head; n != nullptr; n = n->next) {
        if (n->message.message == message) {
            return true;
        }
    }
    return false;
}

bool LoaderQueueTake(LoaderQueue* queue, uint32_t first, uint32_t last, LoaderMessage* out) {
    LoaderQueueNode* previous = nullptr;
    for (LoaderQueueNode* n = queue->head; n != nullptr; previous = n, n = n->next) {
        if (n->message.message < first || n->message.message > last) {
            continue;
        }
        if (previous != nullptr) {
            previous->next = n->next;
        } else {
            queue->head = n->next;
        }
        if (queue->tail == n) {
            queue->tail = previous;
        }
        --queue->count;
        *out = n->message;
        AppFree(n);
        return true;
    }
    return false;
}

void LoaderQueueClear(LoaderQueue* queue) {
    LoaderMessage m;
    while (LoaderQueueTake(queue, 0, UINT32_MAX, &m)) {
        if (m.message == WM_LOAD_PAGE) {
            FreeLoadRequest(m.request);
        }
    }
}

namespace {

bool QueuePeek(void* ctx, uint32_t message) {
    return LoaderQueuePeek(static_cast<LoaderQueue*>(ctx), message);
}

bool QueueTake(void* ctx, uint32_t first, uint32_t last, LoaderMessage* out) {
    return LoaderQueueTake(static_cast<LoaderQueue*>(ctx), first, last, out);
}

void QueueSetPriority(void* ctx, LoaderPriority priority) {
    static_cast<LoaderQueue*>(ctx)->priority = priority;
}

bool QueuePostCancel(void* ctx) {
    return LoaderQueuePost(static_cast<LoaderQueue*>(ctx), WM_CANCEL_LOADS, 0, nullptr);
}

bool QueuePostLoad(void* ctx, int32_t slot, LoadRequest* request) {
    return LoaderQueuePost(static_cast<LoaderQueue*>(ctx), WM_LOAD_PAGE, slot, request);
}

}  // namespace

LoaderQueueOps LoaderQueueOpsFor(LoaderQueue* queue) {
    return LoaderQueueOps{queue, QueuePeek, QueueTake};
}

bool RunLoaderQueueOnce(LoaderQueue* queue, const DecodeOps* decode, const LoaderSink* sink) {
    LoaderMessage m;
    if (!LoaderQueueTake(queue, 0, UINT32_MAX, &m)) {
        return true;
    }
    LoaderQueueOps ops = LoaderQueueOpsFor(queue);
    return LoaderDispatch(decode, sink, &ops, m);
}

bool RunLoaderQueue(LoaderQueue* queue, const DecodeOps* decode, const LoaderSink* sink) {
    while (queue->count > 0) {
        if (!RunLoaderQueueOnce(queue, decode, sink)) {
            return false;
        }
    }
    return true;
}

LoaderOps LoaderOpsForQueue(LoaderQueue* queue) {
    return LoaderOps{queue, QueueSetPriority, QueuePostCancel, QueuePostLoad};
}
