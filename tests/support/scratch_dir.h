// A scratch folder for tests that write files: made fresh under the system's
// temporary folder and removed with everything in it when the object goes.
// Paths handed to the core are UTF-16 with '\' separators, as the program's are.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

class ScratchDir {
  public:
    ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    ~ScratchDir();
    const std::filesystem::path& native() const { return root_; }
    // The program's form of root/rel ('/' in rel is accepted).
    std::u16string Path(const std::string& rel = "") const;
    // Writes bytes to root/rel, making its folders.
    void Write(const std::string& rel, const std::string& bytes) const;
    std::string Read(const std::string& rel) const;
    bool Exists(const std::string& rel) const;
    // Every file and folder below root, as '/'-separated relative paths, sorted.
    std::vector<std::string> List() const;

  private:
    std::filesystem::path root_;
};

// The program's form ('\' separators) of a native path.
std::u16string ProgramPath(const std::filesystem::path& p);
// A native path from the program's form.
std::filesystem::path NativePath(const std::u16string& p);
