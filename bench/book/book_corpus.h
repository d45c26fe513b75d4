// The folder both book benchmarks read: 10,000 pictures with names as scans and
// comics carry them (volume, chapter and page numbers, padded and unpadded, mixed
// letter case, JPEG and PNG), plus a few files that are no pages. Written once
// per run into the temporary folder; the files are empty, since only names,
// sizes and times are read.
//
// The two measured steps, on the same folder:
// - BareEnumeration: the platform's enumeration of the folder, touching nothing
//   but the count (what any listing must pay);
// - BuildBookPages: the book's own page list for that folder (classify, copy
//   names, sort in natural order, publish to a shell that does nothing).
// Their ratio is the cost of the book's own work.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

constexpr int kCorpusPictures = 10000;

struct BookCorpus {
    std::filesystem::path native;
    std::u16string path;  // as the program writes it: UTF-16, '\' separators
};

// Creates the folder (reusing it when it already holds the expected files).
bool MakeBookCorpus(BookCorpus* corpus);
void RemoveBookCorpus(const BookCorpus& corpus);

// Each returns the number of entries or pages seen (to be kept alive by the caller).
int64_t BareEnumeration(const BookCorpus& corpus);
int64_t BuildBookPages(const BookCorpus& corpus);
// The sort alone: lists the folder, then sorts the listing; returns the
// nanoseconds the sort took (the listing is not counted).
int64_t SortListedPages(const BookCorpus& corpus);
