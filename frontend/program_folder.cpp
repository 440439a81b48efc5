#include "frontend/program_folder.hpp"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

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

std::string programFolder(std::string_view programPath) {
  if (programPath.find('/') != std::string_view::npos) return folderOfPath(programPath);
  return folderOfPath(runningExecutablePath());
}

std::string runningExecutablePath() {
  std::error_code error;
  std::filesystem::path target = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return target.string();
}

namespace {

void addFolder(std::vector<std::string>& folders, std::string folder) {
  if (!folder.empty() && !folder.ends_with('/')) folder.push_back('/');
  if (std::find(folders.begin(), folders.end(), folder) == folders.end())
    folders.push_back(std::move(folder));
}

}  // namespace

std::vector<std::string> gridSearchFolders(std::string_view optionFolder, const char* environmentFolder,
                                           std::string_view programPath, std::string_view executablePath) {
  std::vector<std::string> folders;
  if (!optionFolder.empty()) addFolder(folders, std::string(optionFolder));
  if (environmentFolder != nullptr && *environmentFolder != '\0') addFolder(folders, environmentFolder);
  addFolder(folders, programFolder(programPath, executablePath));
  if (executablePath.empty()) return folders;
  std::error_code error;
  const std::filesystem::path real = std::filesystem::canonical(std::filesystem::path(executablePath), error);
  if (error) return folders;
  const std::filesystem::path realFolder = real.parent_path();
  addFolder(folders, realFolder.string());
  if (realFolder.filename() == "bin") {
    addFolder(folders, (realFolder.parent_path() / "share" / "velmora").string());
  }
  return folders;
}

std::vector<std::string> gridSearchFolders(std::string_view optionFolder, std::string_view programPath) {
  return gridSearchFolders(optionFolder, std::getenv(kGridFolderVariable), programPath,
                           runningExecutablePath());
}

}  // namespace velmora
