#include "tests/support/zip_builder.h"

#include <zlib.h>

#include <atomic>
#include <cstdio>
#include <system_error>

#include "platform/utf.h"

#ifdef _WIN32
#include <process.h>
#define PW_GETPID _getpid
#else
#include <unistd.h>
#define PW_GETPID getpid
#endif

namespace {
void Put16(std::vector<uint8_t>* out, uint32_t v) {
    out->push_back(static_cast<uint8_t>(v));
    out->push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>* out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void PutBytes(std::vector<uint8_t>* out, const std::string& s) {
    out->insert(out->end(), s.begin(), s.end());
}
uint32_t U32(size_t n) {
    return static_cast<uint32_t>(n);
}
}  // namespace

std::string Deflate(const std::string& data, int level) {
    z_stream s{};
    deflateInit2(&s, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&s, static_cast<uLong>(data.size())), '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    s.avail_in = static_cast<uInt>(data.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    deflate(&s, Z_FINISH);
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

ZipImage MakeZip(const std::vector<ZipEntrySpec>& entries,
                 const std::string& comment,
                 int commentLengthField) {
    ZipImage image;
    std::vector<uint8_t>& b = image.bytes;
    struct Written {
        uint32_t crc, compressed, size;
    };
    std::vector<Written> written;
    for (const ZipEntrySpec& e : entries) {
        std::string stored = e.useRaw ? e.raw : e.method == 8 ? Deflate(e.data) : e.data;
        uint32_t crc = e.overrideCrc
                           ? e.crc
                           : static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(e.data.data()),
                                                         static_cast<uInt>(e.data.size())));
        uint32_t size = e.overrideSize ? e.size : U32(e.data.size());
        Written w{crc, U32(stored.size()), size};
        written.push_back(w);
        bool descriptor = (e.flags & 8) != 0;
        image.locators.push_back(U32(b.size()));
        Put32(&b, 0x04034B50);
        Put16(&b, 20);
        Put16(&b, e.flags);
        Put16(&b, e.method);
        Put16(&b, e.dosTime);
        Put16(&b, e.dosDate);
        Put32(&b, descriptor ? 0 : w.crc);
        Put32(&b, descriptor ? 0 : w.compressed);
        Put32(&b, descriptor ? 0 : w.size);
        Put16(&b, U32(e.name.size()));
        Put16(&b, U32(e.extra.size()));
        PutBytes(&b, e.name);
        PutBytes(&b, e.extra);
        PutBytes(&b, stored);
        if (descriptor) {
            Put32(&b, 0x08074B50);
            Put32(&b, w.crc);
            Put32(&b, w.compressed);
            Put32(&b, w.size);
        }
    }
    image.directoryOffset = U32(b.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const ZipEntrySpec& e = entries[i];
        Put32(&b, 0x02014B50);
        Put16(&b, 0x0314);
        Put16(&b, 20);
        Put16(&b, e.flags);
        Put16(&b, e.method);
        Put16(&b, e.dosTime);
        Put16(&b, e.dosDate);
        Put32(&b, written[i].crc);
        Put32(&b, written[i].compressed);
        Put32(&b, written[i].size);
        Put16(&b, U32(e.name.size()));
        Put16(&b, U32(e.extra.size()));
        Put16(&b, U32(e.comment.size()));
        Put16(&b, 0);
        Put16(&b, 0);
        Put32(&b, 0);
        Put32(&b, image.locators[i]);
        PutBytes(&b, e.name);
        PutBytes(&b, e.extra);
        PutBytes(&b, e.comment);
    }
    uint32_t directorySize = U32(b.size()) - image.directoryOffset;
    image.endOffset = U32(b.size());
    Put32(&b, 0x06054B50);
    Put16(&b, 0);
    Put16(&b, 0);
    Put16(&b, U32(entries.size()));
    Put16(&b, U32(entries.size()));
    Put32(&b, directorySize);
    Put32(&b, image.directoryOffset);
    Put16(&b, commentLengthField >= 0 ? static_cast<uint32_t>(commentLengthField) : U32(comment.size()));
    PutBytes(&b, comment);
    return image;
}

TempFile::TempFile(const std::vector<uint8_t>& bytes) {
    Write(bytes.data(), bytes.size());
}

TempFile::TempFile(const std::string& bytes) {
    Write(bytes.data(), bytes.size());
}

void TempFile::Write(const void* data, size_t n) {
    static std::atomic<int> counter{0};
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
    native_ = dir / ("pw_zip_" + std::to_string(PW_GETPID()) + "_" + std::to_string(counter++) + ".zip");
    path_ = native_.u16string();
    FILE* f = std::fopen(native_.string().c_str(), "wb");
    if (f != nullptr) {
        if (n > 0) {
            std::fwrite(data, 1, n, f);
        }
        std::fclose(f);
    }
}

TempFile::~TempFile() {
    std::error_code ec;
    std::filesystem::remove(native_, ec);
}

std::string Utf8(const char16_t* text, size_t n) {
    std::string out(n * 3 + 1, '\0');
    size_t got = Utf16ToUtf8(text, n, out.data(), out.size());
    out.resize(got);
    return out;
}
