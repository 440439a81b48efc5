#include "frontend/program_folder.hpp"

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

// A tree PREFIX/bin/velmora, PREFIX/tools/velmora and a link PREFIX/links/velmora to the first.
TEST(GridSearchFolders, UserFoldersThenProgramFolderThenRealFileAndItsShareFolder) {
  const TempDir tree;
  namespace fs = std::filesystem;
  fs::create_directories(tree.filePath("bin"));
  fs::create_directories(tree.filePath("tools"));
  fs::create_directories(tree.filePath("links"));
  tree.writeFile("bin/velmora", "");
  tree.writeFile("tools/velmora", "");
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
  };
  const Case cases[] = {
      {"every folder, slashes added",
       "/opt/g",
       "/env",
       "/x/velmora",
       installed,
       {"/opt/g/", "/env/", "/x/", bin, share}},
      {"bare name: the running file's folder once", "", nullptr, "velmora", installed, {bin, share}},
      {"a link resolved to the real file",
       "",
       "",
       "./velmora",
       tree.filePath("links/velmora"),
       {"./", bin, share}},
      {"later duplicates dropped", "/env/", "/env/x/..", "/env/velmora", installed, {"/env/", bin, share}},
      {"the real folder under another text",
       root + "/bin/.",
       nullptr,
       "/x/velmora",
       installed,
       {root + "/bin/./", "/x/", share}},
      {"no share folder outside bin",
       "rel",
       nullptr,
       "tools/velmora",
       tree.filePath("tools/velmora"),
       {"rel/", "tools/", tools}},
      {"running file unknown", "", nullptr, "velmora", "", {""}},
      {"running file gone", "", nullptr, "/x/velmora", tree.filePath("gone/velmora"), {"/x/"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(gridSearchFolders(c.option, c.environment, c.programPath, c.executablePath), c.folders);
  }
}

}  // namespace
}  // namespace velmora
