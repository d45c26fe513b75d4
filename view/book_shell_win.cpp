// Shell folders through the desktop's IShellFolder: bind to the book's folder,
// enumerate its non-folder items including hidden ones, keep the file-system
// ones whose parsing name is a picture name.
#include <shlobj.h>
#include <shlwapi.h>
#include <windows.h>

#include "platform/owners_win.h"
#include "view/book_shell.h"

namespace {
// A COM reference, released once.
template <typename T>
class ComRef {
  public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() { reset(); }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T** out() {
        reset();
        return &p_;
    }
    void reset() {
        if (p_ != nullptr) {
            p_->Release();
            p_ = nullptr;
        }
    }

  private:
    T* p_ = nullptr;
};

const ITEMIDLIST* Items(const ShellItemId* id) {
    return reinterpret_cast<const ITEMIDLIST*>(id);
}

bool IsEmptyList(const ITEMIDLIST* id) {
    return id->mkid.cb == 0;
}
}  // namespace

ShellItemId* CloneItemId(const ShellItemId* id) {
    if (id == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<ShellItemId*>(ILClone(Items(id)));
}

void ReleaseItemId(ShellItemId* id) {
    PidlOwner owned(reinterpret_cast<ITEMIDLIST*>(id));
}

bool IsRecycleBinItemId(const ShellItemId* id) {
    if (id == nullptr) {
        return false;
    }
    PidlOwner bin;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, bin.out())) || bin.get() == nullptr) {
        return false;
    }
    return ILIsEqual(Items(id), bin.get()) != FALSE;
}

bool ListShellFolder(const ShellItemId* folderId, PageListBuilder* out, ExtensionSet imagePluginExts) {
    if (folderId == nullptr) {
        return false;
    }
    ComRef<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.out())) || desktop.get() == nullptr) {
        return false;
    }
    ComRef<IShellFolder> bound;
    IShellFolder* folder = desktop.get();
    if (!IsEmptyList(Items(folderId))) {
        if (FAILED(desktop->BindToObject(Items(folderId), nullptr, IID_IShellFolder,
                                         reinterpret_cast<void**>(bound.out()))) ||
            bound.get() == nullptr) {
            return false;
        }
        folder = bound.get();
    }
    ComRef<IEnumIDList> items;
    HRESULT hr = folder->EnumObjects(nullptr, SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, items.out());
    if (FAILED(hr)) {
        return false;
    }
    if (items.get() == nullptr) {
        return true;  // S_FALSE without an enumerator: nothing to list
    }
    for (;;) {
        PidlOwner child;
        if (items->Next(1, child.out(), nullptr) != S_OK || child.get() == nullptr) {
            break;
        }
        const ITEMIDLIST* one = child.get();
        SFGAOF attributes = SFGAO_FILESYSTEM | SFGAO_FOLDER;
        if (FAILED(folder->GetAttributesOf(1, &one, &attributes)) || (attributes & SFGAO_FILESYSTEM) == 0 ||
            (attributes & SFGAO_FOLDER) != 0) {
            continue;
        }
        STRRET name{};
        wchar_t path[MAX_PATH] = {};
        if (FAILED(folder->GetDisplayNameOf(one, SHGDN_FORPARSING, &name)) ||
            FAILED(StrRetToBufW(&name, one, path, MAX_PATH))) {
            continue;
        }
        StrBuf location;
        location.Assign(reinterpret_cast<const char16_t*>(path));
        if (location.length == 0) {
            continue;
        }
        uint32_t start = location.length;
        while (start > 0 && location.buffer[start - 1] != u'\\') {
            --start;
        }
        if (!IsPageName(location.buffer + start, location.length - start, imagePluginExts)) {
            continue;
        }
        PageEntry* e = AppendPage(out);
        if (e == nullptr) {
            return false;
        }
        e->name.AssignPathPart(kPathFileName, location.Text(), location.length);
        e->location = static_cast<StrBuf&&>(location);
    }
    return true;
}
