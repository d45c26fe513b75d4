// What the plug-ins announce: their patterns (for the book, the folder tree and
// the open dialog), the folder's plug-in list and one plug-in's description (for
// the options page).
#include <cstring>
#include <new>

#include "app/text.h"
#include "archive/plugin_search.h"
#include "decode/open_image.h"
#include "platform/heap.h"
#include "platform/lock.h"

namespace {

constexpr int kInfoBytes = 260;
// A plug-in announces at most this many pattern/description pairs; one that
// never ends its list is not asked forever.
constexpr int kMaxInfoPairs = 128;

struct ExtensionContext {
    uint32_t mask;
    bool whole;
    PluginTextList* out;
};

// Adds the ";"-separated patterns of one announced text.
void AddPatterns(const PluginPlatform* p, const char* text, bool whole, PluginTextList* out) {
    StrBuf wide;
    if (!p->fromAnsi(text, std::strlen(text), &wide)) {
        return;
    }
    const char16_t* t = wide.Text();
    uint32_t start = 0;
    for (uint32_t i = 0; i <= wide.length; ++i) {
        if (i < wide.length && t[i] != u';') {
            continue;
        }
        const char16_t* pattern = t + start;
        uint32_t n = i - start;
        start = i + 1;
        while (n > 0 && pattern[0] == u' ') {
            ++pattern;
            --n;
        }
        uint32_t dot = n;
        for (uint32_t k = n; k > 0; --k) {
            if (pattern[k - 1] == u'.') {
                dot = k - 1;
                break;
            }
        }
        if (dot == n || dot + 1 == n) {
            continue;  // no extension to offer
        }
        StrBuf one;
        if (!one.Append(pattern, n)) {
            continue;
        }
        if (ImageFormatFromExtension(one.Text()) != kFormatUnknown) {
            continue;  // a built-in decoder reads it
        }
        const char16_t* item = whole ? pattern : pattern + dot;
        const uint32_t length = whole ? n : n - dot;
        if (!out->ContainsNoCase(item, length)) {
            (void)out->Append(item, length);
        }
    }
}

bool CollectExtensions(void* context, PluginSearch* s, const char16_t* /*name*/, const char16_t* path) {
    auto* c = static_cast<ExtensionContext*>(context);
    const PluginPlatform* p = s->platform;
    PluginModule module;
    module.reset(p, p->loadModule(path));
    if (module.get() == nullptr || (PluginKind(p, module.get()) & c->mask) == 0) {
        return true;
    }
    auto info = reinterpret_cast<SusieGetPluginInfo>(p->getProc(module.get(), "GetPluginInfo"));
    for (int n = 2; n < 2 + 2 * kMaxInfoPairs; n += 2) {
        char text[kInfoBytes] = {};
        if (info(n, text, kInfoBytes - 1) == 0) {
            break;
        }
        AddPatterns(p, text, c->whole, c->out);
    }
    return true;
}

bool CollectName(void* context, PluginSearch* s, const char16_t* name, const char16_t* path) {
    PluginModule module;
    module.reset(s->platform, s->platform->loadModule(path));
    if (module.get() != nullptr && PluginKind(s->platform, module.get()) != 0) {
        (void)static_cast<PluginTextList*>(context)->Append(name, TextLength(name));
    }
    return true;
}

}  // namespace

void PluginTextList::Clear() {
    for (uint32_t i = count; i > 0; --i) {
        items[i - 1].Release();
    }
    AppFree(items);
    items = nullptr;
    count = 0;
    capacity = 0;
}

bool PluginTextList::Append(const char16_t* text, uint32_t n) {
    StrBuf copy;
    if (n == 0 || !copy.Append(text, n)) {
        return false;
    }
    if (count == capacity) {
        const uint32_t grown = capacity == 0 ? 8 : capacity * 2;
        auto* bigger = static_cast<StrBuf*>(AppReAllocZero(items, size_t{grown} * sizeof(StrBuf)));
        if (bigger == nullptr) {
            return false;
        }
        items = bigger;
        capacity = grown;
    }
    new (&items[count]) StrBuf(static_cast<StrBuf&&>(copy));
    ++count;
    return true;
}

bool PluginTextList::ContainsNoCase(const char16_t* text, uint32_t n) const {
    for (uint32_t i = 0; i < count; ++i) {
        if (EqualsNoCaseN(items[i].Text(), items[i].length, text, n)) {
            return true;
        }
    }
    return false;
}

void PluginExtensions(uint32_t mask, bool whole, PluginTextList* out) {
    out->Clear();
    AppLockGuard lock;
    PluginSearch s;
    if (!BeginPluginSearch(&s)) {
        return;
    }
    ExtensionContext c{mask, whole, out};
    ForEachPlugin(&s, false, CollectExtensions, &c);
}

void PluginList(PluginTextList* out) {
    out->Clear();
    AppLockGuard lock;
    PluginSearch s;
    if (BeginPluginSearch(&s)) {
        ForEachPlugin(&s, true, CollectName, out);
    }
}

bool PluginDescribe(const char16_t* fileName, StrBuf* patterns, StrBuf* descriptions) {
    patterns->Assign(u"");
    descriptions->Assign(u"");
    AppLockGuard lock;
    PluginSearch s;
    if (!BeginPluginSearch(&s) || !LoadNamedPlugin(&s, fileName)) {
        return false;
    }
    const PluginPlatform* p = s.platform;
    auto info = reinterpret_cast<SusieGetPluginInfo>(p->getProc(s.module.get(), "GetPluginInfo"));
    if (info == nullptr) {
        return false;
    }
    char pat[kInfoBytes] = {};
    char desc[kInfoBytes] = {};
    (void)info(2, pat, kInfoBytes);
    (void)info(3, desc, kInfoBytes);
    pat[kInfoBytes - 1] = 0;
    desc[kInfoBytes - 1] = 0;
    size_t patLength = std::strlen(pat);
    size_t descLength = std::strlen(desc);
    if (patLength == 0 || descLength == 0) {
        return false;
    }
    for (int n = 4; n < 2 + 2 * kMaxInfoPairs; n += 2) {
        char nextPat[kInfoBytes] = {};
        char nextDesc[kInfoBytes] = {};
        if (info(n, nextPat, kInfoBytes) == 0 || info(n + 1, nextDesc, kInfoBytes) == 0) {
            break;
        }
        nextPat[kInfoBytes - 1] = 0;
        nextDesc[kInfoBytes - 1] = 0;
        const size_t np = std::strlen(nextPat);
        const size_t nd = std::strlen(nextDesc);
        if (patLength + 1 + np > kInfoBytes - 1 || descLength + 1 + nd > kInfoBytes - 1) {
            break;
        }
        pat[patLength++] = ';';
        std::memcpy(pat + patLength, nextPat, np + 1);
        patLength += np;
        desc[descLength++] = '/';
        std::memcpy(desc + descLength, nextDesc, nd + 1);
        descLength += nd;
    }
    return p->fromAnsi(pat, patLength, patterns) && p->fromAnsi(desc, descLength, descriptions);
}

void JoinPatterns(const PluginTextList& patterns, uint32_t maxChars, StrBuf* out) {
    out->Assign(u"");
    for (uint32_t i = 0; i < patterns.count; ++i) {
        const StrBuf& p = patterns.items[i];
        const uint32_t extra = p.length + (out->length > 0 ? 1 : 0);
        if (out->length + extra > maxChars) {
            return;
        }
        const uint32_t before = out->length;
        if ((before > 0 && !out->Append(u";", 1)) || !out->Append(p.Text(), p.length)) {
            out->buffer[before] = 0;  // drop a separator without its pattern
            out->length = before;
            return;
        }
    }
}
