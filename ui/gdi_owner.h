// Move-only owners of the shell's GDI, window-manager and common-control
// objects, one per release function: a GDI object (DeleteObject), a menu
// (DestroyMenu), an accelerator table (DestroyAcceleratorTable), an image list
// (ImageList_Destroy) and a window's device context obtained by GetDC
// (ReleaseDC). Window handles are never owned: they are borrowed from the window
// tree.
#pragma once

#include <windows.h>

#include <commctrl.h>

template <typename T>
class GdiObject {
  public:
    GdiObject() = default;
    explicit GdiObject(T object) : object_(object) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& o) noexcept : object_(o.release()) {}
    GdiObject& operator=(GdiObject&& o) noexcept {
        reset(o.release());
        return *this;
    }
    ~GdiObject() { reset(); }

    T get() const { return object_; }
    bool valid() const { return object_ != nullptr; }
    T release() {
        T o = object_;
        object_ = nullptr;
        return o;
    }
    void reset(T object = nullptr) {
        if (object_ != nullptr) {
            DeleteObject(object_);
        }
        object_ = object;
    }

  private:
    T object_ = nullptr;
};

// A menu or an accelerator table: freed by the release function it is named with.
template <typename T, BOOL(WINAPI* Release)(T)>
class UserObject {
  public:
    UserObject() = default;
    explicit UserObject(T object) : object_(object) {}
    UserObject(const UserObject&) = delete;
    UserObject& operator=(const UserObject&) = delete;
    UserObject(UserObject&& o) noexcept : object_(o.release()) {}
    UserObject& operator=(UserObject&& o) noexcept {
        reset(o.release());
        return *this;
    }
    ~UserObject() { reset(); }

    T get() const { return object_; }
    bool valid() const { return object_ != nullptr; }
    T release() {
        T o = object_;
        object_ = nullptr;
        return o;
    }
    void reset(T object = nullptr) {
        if (object_ != nullptr) {
            Release(object_);
        }
        object_ = object;
    }

  private:
    T object_ = nullptr;
};

using MenuOwner = UserObject<HMENU, DestroyMenu>;
using AcceleratorOwner = UserObject<HACCEL, DestroyAcceleratorTable>;

using FontOwner = GdiObject<HFONT>;
using BitmapOwner = GdiObject<HBITMAP>;
using BrushOwner = GdiObject<HBRUSH>;
using PenOwner = GdiObject<HPEN>;

class ImageListOwner {
  public:
    ImageListOwner() = default;
    explicit ImageListOwner(HIMAGELIST list) : list_(list) {}
    ImageListOwner(const ImageListOwner&) = delete;
    ImageListOwner& operator=(const ImageListOwner&) = delete;
    ImageListOwner(ImageListOwner&& o) noexcept : list_(o.release()) {}
    ImageListOwner& operator=(ImageListOwner&& o) noexcept {
        reset(o.release());
        return *this;
    }
    ~ImageListOwner() { reset(); }

    HIMAGELIST get() const { return list_; }
    HIMAGELIST release() {
        HIMAGELIST l = list_;
        list_ = nullptr;
        return l;
    }
    void reset(HIMAGELIST list = nullptr) {
        if (list_ != nullptr) {
            ImageList_Destroy(list_);
        }
        list_ = list;
    }

  private:
    HIMAGELIST list_ = nullptr;
};

// A device context of a window from GetDC, released to that window.
class WindowDc {
  public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_ != nullptr) {
            ReleaseDC(window_, dc_);
        }
    }
    HDC get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a device context for a scope and selects the old one back.
class SelectGuard {
  public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() {
        if (old_ != nullptr && old_ != HGDI_ERROR) {
            SelectObject(dc_, old_);
        }
    }

  private:
    HDC dc_;
    HGDIOBJ old_;
};
