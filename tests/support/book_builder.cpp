#include "tests/support/book_builder.h"

#include "tests/support/zip_builder.h"

namespace {

void Put16(std::vector<uint8_t>* b, uint32_t v) {
    b->push_back(static_cast<uint8_t>(v));
    b->push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>* b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

}  // namespace

std::vector<uint8_t> SolidBmp(int width, int height, COLORREF colour) {
    const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t imageSize = stride * static_cast<uint32_t>(height);
    std::vector<uint8_t> b;
    b.reserve(54 + imageSize);
    b.push_back('B');
    b.push_back('M');
    Put32(&b, 54 + imageSize);
    Put32(&b, 0);
    Put32(&b, 54);
    Put32(&b, 40);
    Put32(&b, static_cast<uint32_t>(width));
    Put32(&b, static_cast<uint32_t>(height));
    Put16(&b, 1);
    Put16(&b, 24);
    Put32(&b, 0);
    Put32(&b, imageSize);
    Put32(&b, 2835);
    Put32(&b, 2835);
    Put32(&b, 0);
    Put32(&b, 0);
    std::vector<uint8_t> row(stride, 0);
    for (int x = 0; x < width; ++x) {
        row[static_cast<size_t>(x) * 3] = GetBValue(colour);
        row[static_cast<size_t>(x) * 3 + 1] = GetGValue(colour);
        row[static_cast<size_t>(x) * 3 + 2] = GetRValue(colour);
    }
    for (int y = 0; y < height; ++y) {
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

std::vector<uint8_t> PageBytes(const PageSpec& page) {
    if (page.broken) {
        const char text[] = "this is no picture at all";
        return std::vector<uint8_t>(text, text + sizeof text - 1);
    }
    return SolidBmp(page.width, page.height, page.colour);
}

bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(file);
    return ok;
}

bool WriteFolderBook(const std::wstring& folder, const std::vector<PageSpec>& pages) {
    for (const PageSpec& p : pages) {
        if (!WriteFileBytes(folder + L"\\" + std::wstring(p.name.begin(), p.name.end()), PageBytes(p))) {
            return false;
        }
    }
    return true;
}

bool WriteCbz(const std::wstring& path, const std::vector<PageSpec>& pages, std::vector<uint32_t>* locators) {
    std::vector<ZipEntrySpec> entries;
    for (const PageSpec& p : pages) {
        ZipEntrySpec e;
        e.name = p.name;
        std::vector<uint8_t> bytes = PageBytes(p);
        e.data.assign(bytes.begin(), bytes.end());
        e.method = 0;
        entries.push_back(std::move(e));
    }
    ZipImage zip = MakeZip(entries);
    if (locators != nullptr) {
        *locators = zip.locators;
    }
    return WriteFileBytes(path, zip.bytes);
}
