// The folders grid files are looked up in: those the user names, the folder of the running program,
// and the shared-data folder of an installation. Grid file names are appended to a folder directly,
// so each ends with "/" (or is empty for the current directory).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

struct ConversionSettings;

// Everything up to and including the last "/" of path; empty when path holds no "/".
std::string folderOfPath(std::string_view path);

// The folder of programPath (argv[0]) when it names one. A program started through the search
// path has a bare name there; its folder is then that of executablePath (the running file).
std::string programFolder(std::string_view programPath, std::string_view executablePath);

// path made absolute and normal ("/work/./a/../b" -> "/work/b"), for messages; path itself when
// that fails.
std::string absolutePath(const std::string& path);

// The path of the running executable, or empty when the system does not tell it.
std::string runningExecutablePath();

// The environment variable naming a grid folder, searched after --gridFolder.
inline constexpr const char* kGridFolderVariable = "VELMORA_GRID_DIR";

// The grid folders a run searches, and the one where a grid file found in none of them belongs.
struct GridFolders {
  std::vector<std::string> searched;  // in search order, each ending in "/" (or empty: the current folder)
  // The index in searched of the folder that messages name for a grid file found nowhere, so that
  // the user puts it where it will be found and where it belongs:
  //   the first folder the user named (--gridFolder, else VELMORA_GRID_DIR);
  //   else an installation's <prefix>/share/velmora/ when that folder exists (an installed program
  //   looks there for its grids, and not in its bin/);
  //   else the program folder.
  std::size_t home = 0;
};

// The grid folders in search order, each ending in "/" (one is added to a user's folder that lacks
// it); a folder already listed under another text ("./" and its absolute path, say) is dropped:
//   1. optionFolder (--gridFolder), unless empty;
//   2. environmentFolder (VELMORA_GRID_DIR), unless null or empty;
//   3. the program folder, programFolder(programPath, executablePath), as before there were others;
//   4. the folder of the real executable file: executablePath with every symbolic link resolved, so
//      that a link to the program finds the grids beside the real file however it is called;
//   5. when that folder is named "bin", its sibling share/velmora/ (<prefix>/share/velmora/ after an
//      installation into <prefix>), found at run time so that an installed tree can be moved.
// Folders 4 and 5 are left out when executablePath is empty or does not resolve.
GridFolders gridSearchFolders(std::string_view optionFolder, const char* environmentFolder,
                              std::string_view programPath, std::string_view executablePath);

// gridSearchFolders with getenv(kGridFolderVariable) and runningExecutablePath().
GridFolders gridSearchFolders(std::string_view optionFolder, std::string_view programPath);

// The run's grid folders set in settings: gridFolders and homeGridFolder.
void applyGridFolders(GridFolders folders, ConversionSettings& settings);

}  // namespace velmora
