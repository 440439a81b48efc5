#include "frontend/program_folder.hpp"

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

}  // namespace velmora
