// The results file of --outputFile: written under a temporary name beside it and renamed over it
// only after a complete run, so that a run that fails or is stopped leaves the old file as it was.
// A signal that ends the process (Ctrl-C, kill, a closed terminal) removes the temporary file.
#pragma once

#include <cstdio>
#include <string>
#include <system_error>
#include <vector>

#include "common/atomic_file.hpp"

namespace velmora {

class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  // Creates the temporary file and its buffered stream.
  std::error_code create(const std::string& fileName);
  std::FILE* stream() const { return stream_; }
  // Flushes, syncs and renames the file into place.
  std::error_code commit();

 private:
  std::vector<char> buffer_;  // before file_: the stream flushes into it when file_ closes it
  AtomicFile file_;
  std::FILE* stream_ = nullptr;
  bool watched_ = false;  // the signal handlers know the temporary file
};

}  // namespace velmora
