#include "velmora/app/program_folder.hpp"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "velmora/converter.hpp"

namespace velmora {

std::string folderOfPath(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return {};
  return std::string(path.substr(0, slash + 1));
}

std::string programFolder(std::string_view programPath, std::string_view executablePath) {
  if (programPath.find('/') != std::string_view::npos) return folderOfPath(programPath);
  return folderOfPath(executablePath);
}

std::string absolutePath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

std::string runningExecutablePath() {
  std::error_code error;
  std::filesystem::path target = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return target.string();
}

namespace {

// The folder as a name in it is resolved from the current directory, links not followed: "./",
// "bin/../bin/" and the absolute path of the same folder give the same text.
std::string folderIdentity(const std::string& folder) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(folder.empty() ? "." : folder, error);
  return error ? folder : (absolute / "").lexically_normal().string();
}

class FolderList {
 public:
  // Adds folder with a trailing "/" unless the same folder is already listed; its index either way.
  std::size_t add(std::string folder) {
    if (!folder.empty() && !folder.ends_with('/')) folder.push_back('/');
    std::string identity = folderIdentity(folder);
    const auto listed = std::find(identities_.begin(), identities_.end(), identity);
    if (listed != identities_.end()) return static_cast<std::size_t>(listed - identities_.begin());
    identities_.push_back(std::move(identity));
    folders_.push_back(std::move(folder));
    return folders_.size() - 1;
  }
  std::vector<std::string> take() { return std::move(folders_); }

 private:
  std::vector<std::string> folders_;
  std::vector<std::string> identities_;
};

}  // namespace

GridFolders gridSearchFolders(std::string_view optionFolder, const char* environmentFolder,
                              std::string_view programPath, std::string_view executablePath) {
  FolderList folders;
  const bool named = !optionFolder.empty() || (environmentFolder != nullptr && *environmentFolder != '\0');
  if (!optionFolder.empty()) folders.add(std::string(optionFolder));
  if (environmentFolder != nullptr && *environmentFolder != '\0') folders.add(environmentFolder);
  folders.add(programFolder(programPath, executablePath));
  std::size_t home = 0;  // the user's first folder, else the program folder
  std::error_code error;
  const std::filesystem::path real =
      executablePath.empty() ? std::filesystem::path()
                             : std::filesystem::canonical(std::filesystem::path(executablePath), error);
  if (!real.empty() && !error) {
    const std::filesystem::path realFolder = real.parent_path();
    folders.add(realFolder.string());
    if (realFolder.filename() == "bin") {
      const std::filesystem::path share = realFolder.parent_path() / "share" / "velmora";
      const std::size_t added = folders.add(share.string());
      if (!named && std::filesystem::is_directory(share, error)) home = added;
    }
  }
  return {folders.take(), home};
}

GridFolders gridSearchFolders(std::string_view optionFolder, std::string_view programPath) {
  return gridSearchFolders(optionFolder, std::getenv(kGridFolderVariable), programPath,
                           runningExecutablePath());
}

void applyGridFolders(GridFolders folders, ConversionSettings& settings) {
  settings.gridFolders = std::move(folders.searched);
  settings.homeGridFolder = folders.home;
}

}  // namespace velmora
