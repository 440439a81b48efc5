#include "frontend/program_folder.hpp"

#include <gtest/gtest.h>

#include <filesystem>

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
  const std::string folder = programFolder("velmora_frontend_tests");
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_EQ(folder + std::filesystem::path(running).filename().string(), running);
}

}  // namespace
}  // namespace velmora
