#include "archive/plugin_search.h"

#include <cstring>

#include "app/text.h"
#include "platform/dir.h"
#include "platform/lock.h"

namespace {

const PluginPlatform* gPlatform = nullptr;
const PluginSource* gSource = nullptr;

constexpr const char16_t* kPluginExtensions[] = {u".spi", u".sph"};

bool HasPluginExtension(const DirEntry& e, const char16_t* ext) {
    return e.nameLength > 4 && EqualsNoCaseN(e.name + e.nameLength - 4, 4, ext, 4);
}

struct FindContext {
    const char* ansiName;
    const uint8_t* header;
    uint32_t wantedKind;
    bool found;
};

bool TryCandidate(void* context, PluginSearch* s, const char16_t* /*name*/, const char16_t* path) {
    auto* f = static_cast<FindContext*>(context);
    const PluginPlatform* p = s->platform;
    PluginModule module;
    module.reset(p, p->loadModule(path));
    if (module.get() == nullptr) {
        return true;
    }
    auto isSupported = reinterpret_cast<SusieIsSupported>(p->getProc(module.get(), "IsSupported"));
    if (isSupported == nullptr) {
        return true;
    }
    auto* header = const_cast<uint8_t*>(f->header);
    uint32_t offset = 0;
    if (isSupported(f->ansiName, header) == 0) {
        if (isSupported(f->ansiName, header + kSusieHeaderOffset) == 0) {
            return true;
        }
        offset = kSusieHeaderOffset;
    }
    if (PluginKind(p, module.get()) != f->wantedKind) {
        return true;
    }
    s->module.reset(p, module.release());
    s->headerOffset = offset;
    f->found = true;
    return false;
}

}  // namespace

void SetPluginHost(const PluginPlatform* platform, const PluginSource* source) {
    AppLockGuard lock;
    gPlatform = platform;
    gSource = source;
}

bool BeginPluginSearch(PluginSearch* s) {
    AppLockGuard lock;
    if (gPlatform == nullptr || gSource == nullptr) {
        return false;
    }
    s->platform = gPlatform;
    s->source = gSource;
    s->folder.Assign(u"");
    gSource->folder(gSource->context, &s->folder);
    return s->folder.length > 0 && GetPathKind(s->folder.Text()) == PathKind::kFolder;
}

void ForEachPlugin(PluginSearch* s, bool withDisabled, PluginVisit visit, void* context) {
    for (const char16_t* ext : kPluginExtensions) {
        DirReader dir;
        if (!dir.Open(s->folder.Text())) {
            return;
        }
        DirEntry e;
        while (dir.Next(&e)) {
            if (e.isFolder || !HasPluginExtension(e, ext)) {
                continue;
            }
            if (!withDisabled) {
                AppLockGuard lock;
                if (s->source->isDisabled(s->source->context, e.name)) {
                    continue;
                }
            }
            StrBuf path;
            path.JoinPath(s->folder.Text(), s->folder.length, e.name, e.nameLength);
            if (path.length == 0) {
                continue;
            }
            if (!visit(context, s, e.name, path.Text())) {
                return;
            }
        }
    }
}

uint32_t PluginKind(const PluginPlatform* platform, void* module) {
    auto info = reinterpret_cast<SusieGetPluginInfo>(platform->getProc(module, "GetPluginInfo"));
    if (info == nullptr) {
        return 0;
    }
    char text[16] = {};
    (void)info(0, text, 8);
    if (std::memcmp(text, kSusieKindPicture, 4) == 0) {
        return kPluginPicture;
    }
    if (std::memcmp(text, kSusieKindArchive, 4) == 0) {
        return kPluginArchive;
    }
    return 0;
}

bool FindPlugin(PluginSearch* s, const char* ansiName, const uint8_t* header, uint32_t wantedKind) {
    FindContext f{ansiName, header, wantedKind, false};
    ForEachPlugin(s, false, TryCandidate, &f);
    return f.found;
}

bool LoadNamedPlugin(PluginSearch* s, const char16_t* fileName) {
    if (fileName == nullptr || fileName[0] == 0) {
        return false;
    }
    StrBuf path;
    path.JoinPath(s->folder.Text(), s->folder.length, fileName, TextLength(fileName));
    if (path.length == 0) {
        return false;
    }
    s->module.reset(s->platform, s->platform->loadModule(path.Text()));
    return s->module.get() != nullptr;
}
