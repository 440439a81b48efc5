#include "velmora/app/program_folder.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_dir.hpp"

namespace velmora {
namespace {

TEST(ProgramFolder, FromTheProgramPathOrTheRunningFile) {
  struct Case {
    const char* programPath;
    const char* executablePath;
    const char* folder;
  };
  const Case cases[] = {
      {"/opt/velmora/bin/velmora", "/elsewhere/velmora", "/opt/velmora/bin/"},
      {"./velmora", "/opt/velmora/velmora", "./"},
      {"bin/velmora", "/opt/velmora/bin/velmora", "bin/"},
      {"/velmora", "/x/velmora", "/"},
      {"tools//velmora", "/x/velmora", "tools//"},
      // A path naming a folder by its trailing "/" keeps all of it.
      {"/opt/velmora/", "/x/velmora", "/opt/velmora/"},
      // Started through the search path: the bare name says nothing about the folder.
      {"velmora", "/usr/local/bin/velmora", "/usr/local/bin/"},
      {"VELMORA.EXE", "/opt/v/velmora", "/opt/v/"},
      {"", "/opt/v/velmora", "/opt/v/"},
      // Running file unknown: the current directory.
      {"velmora", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.programPath);
    EXPECT_EQ(programFolder(c.programPath, c.executablePath), c.folder);
  }
}

TEST(ProgramFolder, RunningExecutableIsThisTestProgram) {
  const std::string running = runningExecutablePath();
  ASSERT_FALSE(running.empty());
  EXPECT_TRUE(std::filesystem::exists(running));
  const std::string folder = programFolder("velmora_frontend_tests", running);
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_EQ(folder + std::filesystem::path(running).filename().string(), running);
}

// A tree PREFIX/bin/velmora with PREFIX/share/velmora/ as an installation makes it,
// PREFIX/tools/velmora, a link PREFIX/links/velmora to the first, and PREFIX/bare/bin/velmora
// without a share folder. home: the folder a grid file found nowhere is named in.
TEST(GridSearchFolders, UserFoldersThenProgramFolderThenRealFileAndItsShareFolder) {
  const TempDir tree;
  namespace fs = std::filesystem;
  fs::create_directories(tree.filePath("bin"));
  fs::create_directories(tree.filePath("share/velmora"));
  fs::create_directories(tree.filePath("tools"));
  fs::create_directories(tree.filePath("links"));
  fs::create_directories(tree.filePath("bare/bin"));
  tree.writeFile("bin/velmora", "");
  tree.writeFile("tools/velmora", "");
  tree.writeFile("bare/bin/velmora", "");
  fs::create_symlink("../bin/velmora", tree.filePath("links/velmora"));
  const std::string root = fs::canonical(tree.path()).string();
  const std::string bin = root + "/bin/";
  const std::string share = root + "/share/velmora/";
  const std::string tools = root + "/tools/";
  const std::string installed = tree.filePath("bin/velmora");

  struct Case {
    const char* what;
    std::string option;
    const char* environment;
    std::string programPath;
    std::string executablePath;
    std::vector<std::string> folders;
    std::size_t home;
  };
  const Case cases[] = {
      {"every folder, slashes added",
       "/opt/g",
       "/env",
       "/x/velmora",
       installed,
       {"/opt/g/", "/env/", "/x/", bin, share},
       0},
      {"bare name: the running file's folder once", "", nullptr, "velmora", installed, {bin, share}, 1},
      {"a link resolved to the real file",
       "",
       "",
       "./velmora",
       tree.filePath("links/velmora"),
       {"./", bin, share},
       2},
      {"later duplicates dropped", "/env/", "/env/x/..", "/env/velmora", installed, {"/env/", bin, share}, 0},
      {"VELMORA_GRID_DIR alone", "", "/env", "velmora", installed, {"/env/", bin, share}, 0},
      {"the real folder under another text",
       root + "/bin/.",
       nullptr,
       "/x/velmora",
       installed,
       {root + "/bin/./", "/x/", share},
       0},
      {"no share folder outside bin",
       "rel",
       nullptr,
       "tools/velmora",
       tree.filePath("tools/velmora"),
       {"rel/", "tools/", tools},
       0},
      {"bin without a share folder",
       "",
       nullptr,
       "velmora",
       tree.filePath("bare/bin/velmora"),
       {root + "/bare/bin/", root + "/bare/share/velmora/"},
       0},
      {"running file unknown", "", nullptr, "velmora", "", {""}, 0},
      {"running file gone", "", nullptr, "/x/velmora", tree.filePath("gone/velmora"), {"/x/"}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const GridFolders found = gridSearchFolders(c.option, c.environment, c.programPath, c.executablePath);
    EXPECT_EQ(found.searched, c.folders);
    EXPECT_EQ(found.home, c.home);
  }
}

}  // namespace
}  // namespace velmora
