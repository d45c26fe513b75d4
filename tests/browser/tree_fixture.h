// A folder tree in a window of the test's own: a parent that forwards the tree's
// notifications, the tree control, a registered-folder list holding one folder
// the test fills, and helpers that read the items back.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings/settings.h"

class TreeTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Makes the tree over the registered list (base first) with the switches.
    void MakeTree(bool archives, bool hidden = false);
    // Folder or file under base; folders end in '\'.
    std::wstring Make(const std::wstring& relative, DWORD attributes = 0);
    std::wstring Path(const std::wstring& relative) const { return base_ + L"\\" + relative; }

    HTREEITEM BaseItem() const;
    HTREEITEM Child(HTREEITEM parent, const std::wstring& text) const;
    std::vector<std::wstring> Children(HTREEITEM parent) const;
    bool Button(HTREEITEM item) const;
    void Expand(HTREEITEM item) const;
    void Settle() const;

    std::wstring base_;
    HWND parent_ = nullptr;
    HWND tree_ = nullptr;
    TreeFolderList folders_;
};

std::string Narrow(const std::wstring& s);
