// Files and folders of the tests.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orv::test {

// The bytes of the file at [path]; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);
// Writes [bytes] to [path], creating its folders.
void writeFile(const std::filesystem::path& path, std::string_view bytes);

// A fresh folder, removed with everything in it at the end of its scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, or [name] inside it.
  std::string path(const std::string& name = "") const;
  void put(const std::string& name, std::string_view bytes) const { writeFile(path(name), bytes); }
  std::string get(const std::string& name) const { return readFile(path(name)); }
  bool exists(const std::string& name) const { return std::filesystem::exists(path(name)); }
  // The sorted names in the folder or its subfolder [name].
  std::vector<std::string> entries(const std::string& name = "") const;

 private:
  std::string path_;
};

}  // namespace orv::test
