// A file replaced all or nothing: written under a unique name in the folder of the file it replaces,
// flushed to the disk, closed and only then renamed over it. A reader, or the disk after a crash,
// sees the old file or the whole new one; a run that fails or stops early leaves the old file as it
// was.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <system_error>

namespace velmora {

class AtomicFile {
 public:
  AtomicFile() = default;
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  // Removes the new file unless it was committed.
  ~AtomicFile();

  // Creates the new file for fileName. A symbolic link is followed as a shell's ">" follows it, to
  // the end of its chain (a relative target read from its link's folder), whether the file there
  // exists or not: the new file is made in that file's folder and renamed onto it, the link stays a
  // link. Links that do not end (more than 40) give too_many_symbolic_link_levels.
  // A name that is no regular file (a device, a pipe) is opened and written in place, without a
  // new file; a folder is refused.
  // An existing file must be writable and keeps its permission bits; a new file gets 0666 less the
  // umask.
  std::error_code create(std::string_view fileName);

  // The new file, open for writing; -1 before create.
  int descriptor() const { return fd_; }
  // The new file as a stream, owned by this object; nullptr when it cannot be made. After this,
  // write through the stream only.
  std::FILE* stream();
  // The name of the new file while it is not yet committed (for removal by a signal handler).
  const std::string& temporaryPath() const { return path_; }

  // Flushes the stream, if any, and the new file to the disk, closes it and renames it over the file
  // it replaces. On an error (a failed write through the stream included) the new file is removed
  // and the old one stays.
  std::error_code commit();

 private:
  // Closes the stream or descriptor, if open, once: 0, or -1 with errno set.
  int closeNow();

  std::string target_;
  std::string path_;  // the new file, removed unless renamed
  int fd_ = -1;
  std::FILE* stream_ = nullptr;  // owns fd_ once made
  bool direct_ = false;          // the file named is no regular file: written in place
};

}  // namespace velmora
