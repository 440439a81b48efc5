// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes out of scope. For tests that write grid files or run the programs.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

class TempDir {
 public:
  TempDir();  // creates the folder; aborts the test program if it cannot
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() with a trailing "/", the form of a program folder that file names are appended to.
  const std::string& prefix() const { return prefix_; }

  // prefix() + name; the file need not exist.
  std::string filePath(std::string_view name) const;

  // Writes bytes to the file name inside the folder and returns its full path. A failed write
  // is reported as a GoogleTest failure.
  std::string writeFile(std::string_view name, std::string_view bytes) const;

 private:
  std::string path_;
  std::string prefix_;
};

}  // namespace velmora
