// The folder of the running program, where the grid files are looked up. Grid file names are
// appended to it directly, so it ends with "/" (or is empty for the current directory).
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Everything up to and including the last "/" of path; empty when path holds no "/".
std::string folderOfPath(std::string_view path);

// The folder of programPath (argv[0]) when it names one. A program started through the search
// path has a bare name there; its folder is then that of executablePath (the running file).
std::string programFolder(std::string_view programPath, std::string_view executablePath);

// programFolder with the running file as the system reports it (/proc/self/exe); when that is
// unknown, a bare program name gives the empty folder (the current directory).
std::string programFolder(std::string_view programPath);

// The path of the running executable, or empty when the system does not tell it.
std::string runningExecutablePath();

}  // namespace velmora
