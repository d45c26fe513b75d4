#include "archive/zip_writer.h"

#include <libdeflate.h>

#include <cstring>
#include <memory>

#include "app/crc32.h"
#include "app/text.h"
#include "archive/file_ops.h"
#include "archive/pack_entries.h"
#include "archive/zip_host.h"
#include "platform/dir.h"
#include "platform/file.h"
#include "platform/heap.h"
#include "platform/vm.h"

namespace {
constexpr int32_t kMaxNumber = 2147483646;
constexpr uint16_t kFlagUtf8 = 0x0800;

void Put16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

struct DeflateCompressorFree {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};
using DeflateCompressor = std::unique_ptr<libdeflate_compressor, DeflateCompressorFree>;

struct Writer {
    FileId file;
    uint64_t offset;  // bytes written so far
    const ZipLimits* limits;
};

bool Emit(Writer* w, const void* data, uint64_t n) {
    if (n == 0) {
        return true;
    }
    if (w->offset + n > w->limits->maxOffset || !FileWriteAll(w->file, data, n)) {
        return false;
    }
    w->offset += n;
    return true;
}

void StampTime(uint8_t* header, uint64_t filetime) {
    uint16_t date = 0x21;  // 1980-01-01
    uint16_t time = 0;
    if (!FiletimeToDosTime(filetime, &date, &time)) {
        date = 0x21;
        time = 0;
    }
    Put16(header + 10, time);
    Put16(header + 12, date);
}

// Writes one entry's local record; the local header lands in `local`. The
// entry's byte count, 0 when it failed.
uint64_t WriteEntry(Writer* w, const PackEntry& e, uint32_t mode, uint8_t* local) {
    std::memset(local, 0, 30);
    Put32(local, 0x04034B50);
    Put16(local + 4, 20);
    Put16(local + 6, kFlagUtf8);
    Put16(local + 26, e.nameLength);
    const uint64_t start = w->offset;
    VmBlock data;
    uint64_t stored = 0;
    if (e.attributes == 0x10) {
        StrBuf path;
        uint64_t time = 0;
        if (!path.Append(e.fullPath.buffer, e.fullPath.length - 1) || !GetPathTime(path.Text(), &time)) {
            return 0;
        }
        StampTime(local, time);
    } else {
        FileHandle file(FileOpenRead(e.fullPath.Text()));
        uint64_t size = 0;
        uint64_t time = 0;
        if (!file.valid() || !FileGetSize(file.get(), &size) || !FileGetTime(file.get(), &time) ||
            size >= w->limits->maxFileSize) {
            return 0;
        }
        StampTime(local, time);
        // An empty file is stored: a deflated entry of no bytes at all is not a
        // deflate stream, and other readers report it as corrupt.
        Put16(local + 8, mode == kJobPackDeflated && size > 0 ? 8 : 0);
        if (size > 0) {
            data.reset(VmAlloc(size + 4));
            uint32_t got = 0;
            if (data.get() == nullptr ||
                !FileReadAt(file.get(), 0, data.get(), static_cast<uint32_t>(size), &got) || got != size) {
                return 0;
            }
            Put32(local + 14, Crc32(data.get(), size));
            Put32(local + 22, static_cast<uint32_t>(size));
            stored = size;
            if (mode == kJobPackDeflated) {
                uint8_t* block = data.release();
                bool deflated = DeflateBlock(&block, &stored);
                data.reset(block);
                if (!deflated || stored >= w->limits->maxFileSize) {
                    return 0;
                }
            }
            Put32(local + 18, static_cast<uint32_t>(stored));
        }
    }
    if (!Emit(w, local, 30) || !Emit(w, e.name, e.nameLength) || !Emit(w, data.get(), stored)) {
        return 0;
    }
    return w->offset - start;
}

void FillCentral(PackEntry* e, const uint8_t* local, uint64_t offset) {
    uint8_t* c = e->central;
    std::memset(c, 0, 46);
    Put32(c, 0x02014B50);
    Put16(c + 4, 20);
    std::memcpy(c + 6, local + 4, 24);
    Put32(c + 38, e->attributes);
    Put32(c + 42, static_cast<uint32_t>(offset));
}

// Writes every entry, the central directory and the end record; true when the
// archive is whole.
bool WriteArchive(FileJob* job, PackList* list, FileId file, const ZipLimits& limits) {
    Writer w{file, 0, &limits};
    uint32_t written = 0;
    uint8_t local[30];
    for (PackEntry* e = list->first; e != nullptr; e = e->next) {
        const uint64_t at = w.offset;
        if (WriteEntry(&w, *e, job->mode, local) == 0) {
            return false;
        }
        FillCentral(e, local, at);
        ++written;
        JobStep(*job);
        if (JobCancelled(*job)) {
            return false;
        }
    }
    if (written == 0 || written != list->count) {
        return false;
    }
    const uint64_t directory = w.offset;
    for (PackEntry* e = list->first; e != nullptr; e = e->next) {
        if (!Emit(&w, e->central, 46) || !Emit(&w, e->name, e->nameLength)) {
            return false;
        }
    }
    uint8_t end[22] = {};
    Put32(end, 0x06054B50);
    Put16(end + 8, written);
    Put16(end + 10, written);
    Put32(end + 12, static_cast<uint32_t>(w.offset - directory));
    Put32(end + 16, static_cast<uint32_t>(directory));
    return Emit(&w, end, sizeof end);
}
}  // namespace

bool DeflateBlock(uint8_t** block, uint64_t* size) {
    const uint64_t n = *size;
    if (n > 0xFFFFFFFFull) {
        return false;
    }
    DeflateCompressor compressor(libdeflate_alloc_compressor(9));
    if (compressor == nullptr) {
        return false;
    }
    const uint64_t bound = libdeflate_deflate_compress_bound(compressor.get(), static_cast<size_t>(n));
    VmBlock out(VmAlloc(bound + 4));
    if (out.get() == nullptr) {
        return false;
    }
    const size_t produced =
        libdeflate_deflate_compress(compressor.get(), *block, static_cast<size_t>(n), out.get(), bound);
    if (produced == 0) {
        return false;
    }
    VmFree(*block);
    *block = out.release();
    *size = produced;
    return true;
}

bool NamePackArchive(StrBuf* destination, const char16_t* source) {
    if (destination->length == 0) {
        destination->Assign(source);
        if (!destination->Append(u".zip", 4)) {
            return false;
        }
    } else if (!destination->HasExtension(u".zip")) {
        const uint32_t before = destination->length;
        destination->ReplaceExtension(u".zip");
        if (destination->length < before || !destination->HasExtension(u".zip")) {
            return false;
        }
    }
    if (destination->length > kMaxJobPath) {
        return false;
    }
    if (GetPathKind(destination->Text()) == PathKind::kNone) {
        return true;
    }
    const uint32_t dot = ExtensionStart(destination->buffer, destination->length);
    destination->length = dot;
    destination->buffer[dot] = 0;
    if (destination->AppendChar(u'+') == nullptr) {
        return false;
    }
    const uint32_t plus = destination->length;
    for (int32_t n = 1; n <= kMaxNumber; ++n) {
        char16_t digits[12];
        const uint32_t k = FormatDecimal(digits, n);
        destination->length = plus;
        destination->buffer[plus] = 0;
        if (!destination->Append(digits, k) || !destination->Append(u".zip", 4) ||
            destination->length > kMaxJobPath) {
            return false;
        }
        if (GetPathKind(destination->Text()) == PathKind::kNone) {
            return true;
        }
    }
    return false;
}

bool ZipPackFolder(FileJob* job, const ZipLimits& limits) {
    if (GetPathKind(job->source.Text()) != PathKind::kFolder) {
        return false;
    }
    PackList list;
    if (CollectPackEntries(job->source.Text(), &list) == 0 || list.count > limits.maxEntries) {
        return false;
    }
    for (const PackEntry* e = list.first; e != nullptr; e = e->next) {
        if (e->nameTooLong) {
            return false;
        }
    }
    StrBuf temp;
    if (!NamePackArchive(&job->destination, job->source.Text()) || !TempFileName(&temp)) {
        return false;
    }
    FileHandle file(FileCreateWrite(temp.Text()));
    bool ok = false;
    if (file.valid()) {
        JobOpen(*job);
        JobSetRange(*job, list.count + 2);
        ok = WriteArchive(job, &list, file.get(), limits);
        JobStep(*job);
        file.reset();
        if (ok && !FileCopyReplace(temp.Text(), job->destination.Text())) {
            // A copy that broke off part-way leaves no half archive behind.
            FileDelete(job->destination.Text());
            ok = false;
        }
        if (ok) {
            JobCreated(job->ops, job->destination.Text(), false);
        }
        JobStep(*job);
        JobClose(*job);
    }
    FileDelete(temp.Text());
    return ok;
}
