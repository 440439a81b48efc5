#include "tests/support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "velmora/gridfile/grid_writer.hpp"

namespace velmora {

namespace {
constexpr int kCreateAttempts = 100;  // collisions of 64-bit random names are a freak event
}

TempDir::TempDir() {
  std::random_device seed;
  std::mt19937_64 random(seed());
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    const std::filesystem::path candidate = base / ("velmora-test-" + std::to_string(random()));
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) {
      path_ = candidate.string();
      prefix_ = path_ + "/";
      return;
    }
  }
  std::fputs("TempDir: cannot create a temporary folder\n", stderr);
  std::abort();
}

TempDir::~TempDir() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

std::string TempDir::filePath(std::string_view name) const {
  return prefix_ + std::string(name);
}

std::string TempDir::writeFile(std::string_view name, std::string_view bytes) const {
  std::string file = filePath(name);
  EXPECT_TRUE(writeBytesToFile(file, bytes)) << "cannot write " << file;
  return file;
}

}  // namespace velmora
