#include "view/loader_thread.h"

namespace {

void OpsSetPriority(void* ctx, LoaderPriority priority) {
    LoaderSetPriority(static_cast<LoaderThread*>(ctx), priority);
}

bool OpsPostCancel(void* ctx) {
    return LoaderPostCancel(static_cast<LoaderThread*>(ctx));
}

bool OpsPostLoad(void* ctx, int32_t slot, LoadRequest* request) {
    return LoaderPostLoad(static_cast<LoaderThread*>(ctx), slot, request);
}

}  // namespace

LoaderOps LoaderOpsFor(LoaderThread* loader) {
    return LoaderOps{loader, OpsSetPriority, OpsPostCancel, OpsPostLoad};
}
