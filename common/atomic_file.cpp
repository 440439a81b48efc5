#include "common/atomic_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>

namespace velmora {
namespace {

constexpr std::size_t kRandomNameChars = 6;           // 62^6 names, as mkstemp draws
constexpr int kCreateAttempts = 100;                  // clashes of random names are a freak event
constexpr std::size_t kMaxTemporaryBaseLength = 200;  // + 8 characters stays under NAME_MAX (255)
constexpr mode_t kNewFileMode = 0666;                 // rw for all, less the umask
constexpr mode_t kPermissionBits = 07777;
constexpr int kMaxLinksFollowed = 40;  // as Linux follows in one path (MAXSYMLINKS)

std::error_code lastError() {
  return {errno, std::generic_category()};
}

// The file that writing to name replaces, as a shell's ">" writes it: name itself, or for a
// symbolic link the end of its chain of links, whether that exists or not (a link that leads
// nowhere makes the file it names). A relative target is read from the folder of its link, not
// simplified: "dir/../x" is left for the system, which knows where dir leads. A chain longer than
// the system follows in one path is a loop (ELOOP).
std::error_code replacedFile(std::string_view name, std::string& path) {
  path = std::string(name);
  for (int followed = 0;; ++followed) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return {};
    if (followed == kMaxLinksFollowed) return std::make_error_code(std::errc::too_many_symbolic_link_levels);
    std::error_code error;
    const std::string target = std::filesystem::read_symlink(path, error).string();
    if (error) return error;
    if (target.starts_with('/')) {
      path = target;
    } else {
      const std::size_t slash = path.rfind('/');
      path.resize(slash == std::string::npos ? 0 : slash + 1);  // the link's folder
      path.append(target);
    }
  }
}

}  // namespace

AtomicFile::~AtomicFile() {
  closeNow();
  if (!path_.empty()) ::unlink(path_.c_str());
}

int AtomicFile::closeNow() {
  const int closed = stream_ != nullptr ? std::fclose(stream_) : (fd_ >= 0 ? ::close(fd_) : 0);
  stream_ = nullptr;
  fd_ = -1;  // closed even when close reports an error: never closed twice
  return closed;
}

std::error_code AtomicFile::create(std::string_view fileName) {
  // Only a regular file can be replaced: a device, a pipe or a terminal (/dev/null, a process
  // substitution, /dev/stdout) is written as it is, and a folder is refused at once.
  struct stat named {};
  if (::stat(std::string(fileName).c_str(), &named) == 0 && !S_ISREG(named.st_mode)) {
    if (S_ISDIR(named.st_mode)) return std::make_error_code(std::errc::is_a_directory);
    fd_ = ::open(std::string(fileName).c_str(), O_WRONLY | O_CLOEXEC);
    if (fd_ < 0) return lastError();
    direct_ = true;
    return {};
  }
  if (const std::error_code error = replacedFile(fileName, target_)) return error;
  const std::size_t slash = target_.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : target_.substr(0, slash + 1);
  const std::string base = target_.substr(slash == std::string::npos ? 0 : slash + 1);
  if (base.empty()) return std::make_error_code(std::errc::is_a_directory);

  struct stat existing {};
  const bool replacing = ::stat(target_.c_str(), &existing) == 0;
  // The rename needs only the folder's permission: a file its owner made read-only stays so.
  if (replacing && ::access(target_.c_str(), W_OK) != 0) return lastError();

  // Named like mkstemp's files, but created with O_EXCL and mode 0666 so that the umask applies as
  // it does to any new file. A hidden name: ".out.csv.Xa3k9Q"; the base is cut so that the name
  // stays a legal length.
  static constexpr std::string_view kNameChars =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device seed;
  std::mt19937_64 random(seed());
  std::uniform_int_distribution<std::size_t> pick(0, kNameChars.size() - 1);
  const std::string stem = folder + "." + base.substr(0, kMaxTemporaryBaseLength) + ".";
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    std::string candidate = stem;
    for (std::size_t i = 0; i < kRandomNameChars; ++i) candidate += kNameChars[pick(random)];
    fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (fd_ >= 0) {
      path_ = std::move(candidate);
      break;
    }
    if (errno != EEXIST) return lastError();
  }
  if (fd_ < 0) return std::make_error_code(std::errc::file_exists);
  if (replacing && ::fchmod(fd_, existing.st_mode & kPermissionBits) != 0) return lastError();
  return {};
}

std::FILE* AtomicFile::stream() {
  if (stream_ == nullptr && fd_ >= 0) stream_ = ::fdopen(fd_, "w");
  return stream_;
}

std::error_code AtomicFile::commit() {
  if (stream_ != nullptr) {
    errno = 0;
    if (std::fflush(stream_) != 0 || std::ferror(stream_) != 0) {
      return errno != 0 ? lastError() : std::make_error_code(std::errc::io_error);
    }
  }
  // Without the flush a crash soon after the rename can leave an empty file on some file systems:
  // the rename reaches the disk before the data. The folder is not flushed: after a crash it names
  // the old file or the new one, both whole. A device or pipe written in place is only closed.
  if (!direct_ && ::fsync(fd_) != 0) return lastError();
  if (closeNow() != 0) return lastError();
  if (direct_) return {};
  if (::rename(path_.c_str(), target_.c_str()) != 0) return lastError();
  path_.clear();  // now the target: not to be removed
  return {};
}

}  // namespace velmora
