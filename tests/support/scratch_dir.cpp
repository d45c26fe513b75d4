#include "tests/support/scratch_dir.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <sstream>

#ifdef _WIN32
#include <process.h>
#define PW_GETPID _getpid
#else
#include <unistd.h>
#define PW_GETPID getpid
#endif

namespace fs = std::filesystem;

namespace {
fs::path U8(const std::string& rel) {
    return fs::path(std::u8string(rel.begin(), rel.end()));
}
}  // namespace

std::u16string ProgramPath(const fs::path& p) {
    std::u16string s = p.u16string();
    std::replace(s.begin(), s.end(), u'/', u'\\');
    return s;
}

fs::path NativePath(const std::u16string& p) {
    std::u16string s = p;
#ifndef _WIN32
    std::replace(s.begin(), s.end(), u'\\', u'/');
#endif
    return fs::path(s);
}

ScratchDir::ScratchDir() {
    static std::atomic<int> counter{0};
    std::error_code ec;
    root_ = fs::temp_directory_path(ec) /
            ("pw_scratch_" + std::to_string(PW_GETPID()) + "_" + std::to_string(counter++));
    fs::remove_all(root_, ec);
    fs::create_directories(root_, ec);
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    fs::remove_all(root_, ec);
}

std::u16string ScratchDir::Path(const std::string& rel) const {
    return ProgramPath(rel.empty() ? root_ : root_ / U8(rel));
}

void ScratchDir::Write(const std::string& rel, const std::string& bytes) const {
    fs::path p = root_ / U8(rel);
    std::error_code ec;
    fs::create_directories(p.parent_path(), ec);
    std::ofstream out(p, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ScratchDir::Read(const std::string& rel) const {
    std::ifstream in(root_ / U8(rel), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool ScratchDir::Exists(const std::string& rel) const {
    std::error_code ec;
    return fs::exists(root_ / U8(rel), ec);
}

std::vector<std::string> ScratchDir::List() const {
    std::vector<std::string> out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::u8string rel = fs::relative(it->path(), root_, ec).generic_u8string();
        out.emplace_back(rel.begin(), rel.end());
    }
    std::sort(out.begin(), out.end());
    return out;
}
