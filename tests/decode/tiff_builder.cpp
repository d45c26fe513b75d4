#include "tests/decode/tiff_builder.h"

#include <algorithm>
#include <cstddef>

namespace {

void Put16(std::vector<uint8_t>* out, uint32_t v, bool be) {
    if (be) {
        out->push_back(static_cast<uint8_t>(v >> 8));
        out->push_back(static_cast<uint8_t>(v));
    } else {
        out->push_back(static_cast<uint8_t>(v));
        out->push_back(static_cast<uint8_t>(v >> 8));
    }
}

void Put32(std::vector<uint8_t>* out, uint32_t v, bool be) {
    if (be) {
        Put16(out, v >> 16, true);
        Put16(out, v & 0xFFFF, true);
    } else {
        Put16(out, v & 0xFFFF, false);
        Put16(out, v >> 16, false);
    }
}

void Set32(std::vector<uint8_t>* out, size_t at, uint32_t v, bool be) {
    std::vector<uint8_t> b;
    Put32(&b, v, be);
    std::copy(b.begin(), b.end(), out->begin() + static_cast<ptrdiff_t>(at));
}

bool Dropped(const TiffSpec& recipe, uint16_t tag) {
    return std::find(recipe.drop.begin(), recipe.drop.end(), tag) != recipe.drop.end();
}

// Writes one directory for `entries` at the end of `out`; returns its offset and
// the place of its next-directory field.
uint32_t WriteDirectory(std::vector<uint8_t>* out,
                        std::vector<TiffEntrySpec> entries,
                        bool be,
                        size_t* nextField) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const TiffEntrySpec& a, const TiffEntrySpec& b) { return a.tag < b.tag; });
    // Out-of-line values first, then the directory.
    std::vector<uint32_t> offsets(entries.size(), 0);
    for (size_t i = 0; i < entries.size(); i++) {
        if (!entries[i].rawOffset && entries[i].value.size() > 4) {
            if (out->size() % 2 != 0) {
                out->push_back(0);
            }
            offsets[i] = static_cast<uint32_t>(out->size());
            out->insert(out->end(), entries[i].value.begin(), entries[i].value.end());
        }
    }
    if (out->size() % 2 != 0) {
        out->push_back(0);
    }
    uint32_t ifd = static_cast<uint32_t>(out->size());
    Put16(out, static_cast<uint32_t>(entries.size()), be);
    for (size_t i = 0; i < entries.size(); i++) {
        const TiffEntrySpec& e = entries[i];
        Put16(out, e.tag, be);
        Put16(out, e.type, be);
        Put32(out, e.count, be);
        if (e.rawOffset || e.value.size() <= 4) {
            std::vector<uint8_t> field = e.value;
            field.resize(4, 0);
            out->insert(out->end(), field.begin(), field.end());
        } else {
            Put32(out, offsets[i], be);
        }
    }
    *nextField = out->size();
    Put32(out, 0, be);
    return ifd;
}

}  // namespace

std::vector<uint8_t> Bytes16(const std::vector<uint16_t>& values, bool bigEndian) {
    std::vector<uint8_t> out;
    for (uint16_t v : values) {
        Put16(&out, v, bigEndian);
    }
    return out;
}

std::vector<uint8_t> Bytes32(const std::vector<uint32_t>& values, bool bigEndian) {
    std::vector<uint8_t> out;
    for (uint32_t v : values) {
        Put32(&out, v, bigEndian);
    }
    return out;
}

TiffEntrySpec ShortEntry(uint16_t tag, const std::vector<uint16_t>& values, bool bigEndian) {
    return {tag, kShort, static_cast<uint32_t>(values.size()), Bytes16(values, bigEndian)};
}

TiffEntrySpec LongEntry(uint16_t tag, const std::vector<uint32_t>& values, bool bigEndian) {
    return {tag, kLong, static_cast<uint32_t>(values.size()), Bytes32(values, bigEndian)};
}

std::vector<uint8_t> BuildTiff(const TiffSpec& recipe) {
    const bool be = recipe.bigEndian;
    std::vector<uint8_t> out;
    out.push_back(be ? 'M' : 'I');
    out.push_back(be ? 'M' : 'I');
    Put16(&out, 42, be);
    Put32(&out, 0, be);  // directory offset, set below

    // Strips: rows are cut in image order; the file may hold them reversed.
    const size_t total = recipe.data.size();
    size_t stripBytes = total;
    if (recipe.rowsPerStrip > 0 && recipe.length > 0) {
        size_t rowBytes = total / recipe.length;
        stripBytes = rowBytes * recipe.rowsPerStrip;
    }
    std::vector<std::pair<size_t, size_t>> strips;  // (start in data, size)
    for (size_t pos = 0; pos < total || strips.empty(); pos += stripBytes) {
        strips.push_back({pos, std::min(stripBytes, total - pos)});
        if (stripBytes == 0) {
            break;
        }
    }
    std::vector<uint32_t> stripOffsets(strips.size());
    std::vector<size_t> order(strips.size());
    for (size_t i = 0; i < order.size(); i++) {
        order[i] = recipe.reverseStrips ? strips.size() - 1 - i : i;
    }
    for (size_t i : order) {
        stripOffsets[i] = static_cast<uint32_t>(out.size());
        out.insert(out.end(), recipe.data.begin() + static_cast<ptrdiff_t>(strips[i].first),
                   recipe.data.begin() + static_cast<ptrdiff_t>(strips[i].first + strips[i].second));
    }

    std::vector<TiffEntrySpec> entries;
    auto add = [&](TiffEntrySpec e) {
        if (!Dropped(recipe, e.tag)) {
            entries.push_back(std::move(e));
        }
    };
    add(LongEntry(256, {recipe.width}, be));
    add(LongEntry(257, {recipe.length}, be));
    if (recipe.bitsCount > 0) {
        add(ShortEntry(258, std::vector<uint16_t>(static_cast<size_t>(recipe.bitsCount), recipe.bits), be));
    }
    add(ShortEntry(259, {1}, be));
    add(ShortEntry(262, {recipe.photometric}, be));
    std::vector<uint32_t> counts;
    counts.reserve(strips.size());
    for (const auto& s : strips) {
        counts.push_back(static_cast<uint32_t>(s.second));
    }
    if (recipe.stripType == kShort) {
        std::vector<uint16_t> o16(stripOffsets.begin(), stripOffsets.end());
        std::vector<uint16_t> c16(counts.begin(), counts.end());
        add(ShortEntry(273, o16, be));
        add(ShortEntry(279, c16, be));
    } else {
        add(LongEntry(273, stripOffsets, be));
        add(LongEntry(279, counts, be));
    }
    if (recipe.samplesPerPixel > 0) {
        add(ShortEntry(277, {static_cast<uint16_t>(recipe.samplesPerPixel)}, be));
    }
    add(LongEntry(278, {recipe.rowsPerStrip > 0 ? recipe.rowsPerStrip : recipe.length}, be));
    if (recipe.resolution) {
        add({282, kRational, 1, Bytes32({recipe.xNum, recipe.xDen}, be)});
        add({283, kRational, 1, Bytes32({recipe.yNum, recipe.yDen}, be)});
    }
    if (recipe.unit != 0) {
        add(ShortEntry(296, {recipe.unit}, be));
    }
    if (!recipe.colorMap.empty()) {
        add(ShortEntry(320, recipe.colorMap, be));
    }
    for (const TiffEntrySpec& e : recipe.extra) {
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [&](const TiffEntrySpec& x) { return x.tag == e.tag; }),
                      entries.end());
    }
    for (const TiffEntrySpec& e : recipe.extra) {
        entries.push_back(e);
    }

    size_t nextField = 0;
    uint32_t ifd = WriteDirectory(&out, entries, be, &nextField);
    Set32(&out, 4, ifd, be);

    if (recipe.secondPage) {
        uint32_t dataAt = static_cast<uint32_t>(out.size());
        out.insert(out.end(), total, 0xFF);
        std::vector<TiffEntrySpec> second;
        for (const TiffEntrySpec& e : entries) {
            if (e.tag != 273 && e.tag != 279) {
                second.push_back(e);
            }
        }
        second.push_back(LongEntry(273, {dataAt}, be));
        second.push_back(LongEntry(279, {static_cast<uint32_t>(total)}, be));
        size_t unusedNext = 0;
        uint32_t secondIfd = WriteDirectory(&out, second, be, &unusedNext);
        Set32(&out, nextField, secondIfd, be);
    }
    return out;
}
