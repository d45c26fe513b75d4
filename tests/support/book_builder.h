// Books for the shell's tests, made by code: solid-colour 24-bit BMP pages (so
// that every pixel of a page on screen has a known colour), written as a folder
// of files or packed into a stored CBZ archive.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct PageSpec {
    std::string name;  // member or file name, e.g. "p01.bmp"
    int width = 300;
    int height = 400;
    COLORREF colour = 0;  // RGB() of the whole page
    bool broken = false;  // bytes that no decoder takes
};

// A bottom-up 24-bit BMP file of one colour.
std::vector<uint8_t> SolidBmp(int width, int height, COLORREF colour);
// The page's file bytes.
std::vector<uint8_t> PageBytes(const PageSpec& page);

// Writes the pages as files into folder (which must exist).
bool WriteFolderBook(const std::wstring& folder, const std::vector<PageSpec>& pages);
// Writes a CBZ of stored members; locators receives each member's locator.
bool WriteCbz(const std::wstring& path, const std::vector<PageSpec>& pages, std::vector<uint32_t>* locators);

bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);
