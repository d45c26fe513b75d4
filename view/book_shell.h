// Shell folders as books: folders of the shell namespace that have no file-system
// path of their own (the recycle bin is the one that matters), named by a shell
// item identifier list. Windows reaches them through the shell's folder
// interface; the native build has no shell namespace and lists nothing.
//
// Ownership: CloneItemId returns a copy that the caller releases with
// ReleaseItemId (the shell allocator), usually by handing it to an ItemIdOwner.
// Every function accepts null and then does nothing (null clones to null, lists
// nothing, is no recycle bin).
// Call these on a thread where COM is initialised (the user-interface thread).
#pragma once

#include "view/page_list.h"

struct ShellItemId;  // an absolute item identifier list, opaque to portable code

[[nodiscard]] ShellItemId* CloneItemId(const ShellItemId* id);
void ReleaseItemId(ShellItemId* id);

// Owns one item identifier list and releases it with ReleaseItemId.
class ItemIdOwner {
  public:
    ItemIdOwner() = default;
    explicit ItemIdOwner(ShellItemId* id) : id_(id) {}
    ItemIdOwner(const ItemIdOwner&) = delete;
    ItemIdOwner& operator=(const ItemIdOwner&) = delete;
    ItemIdOwner(ItemIdOwner&& o) noexcept : id_(o.release()) {}
    ItemIdOwner& operator=(ItemIdOwner&& o) noexcept {
        reset(o.release());
        return *this;
    }
    ~ItemIdOwner() { reset(); }

    ShellItemId* get() const { return id_; }
    ShellItemId* release() {
        ShellItemId* id = id_;
        id_ = nullptr;
        return id;
    }
    void reset(ShellItemId* id = nullptr) {
        if (id_ != nullptr) {
            ReleaseItemId(id_);
        }
        id_ = id;
    }

  private:
    ShellItemId* id_ = nullptr;
};
// True when id names the system recycle bin.
[[nodiscard]] bool IsRecycleBinItemId(const ShellItemId* id);

// Appends one entry for each file-system, non-folder item of the folder
// (hidden ones included) whose name is a picture name: location = the item's
// parsing path (at most 260 characters), name = its file-name part. False when
// the folder cannot be bound or enumerated; entries appended so far stay.
[[nodiscard]] bool ListShellFolder(const ShellItemId* folder,
                                   PageListBuilder* out,
                                   ExtensionSet imagePluginExts);
