// Inputs with an end: only a regular file within its size is read whole, and whatever else the
// path names is told in a sentence that names it.
#include "util/bounded_input.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/temp_path.h"

namespace vetra {
namespace {

namespace fs = std::filesystem;

class BoundedInput : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_);
    std::ofstream(dir_ / "ten.bin", std::ios::binary) << "0123456789";
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const char* name) const { return (dir_ / name).string(); }
  fs::path dir_ = test::UniqueTempPath("vetra-bounded");
};

TEST_F(BoundedInput, ARegularFileWithinItsSizeIsReadWhole) {
  std::string error;
  EXPECT_EQ(ReadBoundedFile(Path("ten.bin"), {10, "a test file"}, error), "0123456789");
}

TEST_F(BoundedInput, WhatCannotBeReadWholeIsToldNamingTheFile) {
  const std::string ten = Path("ten.bin"), missing = Path("missing"), dir = dir_.string();
  const struct {
    std::string path;
    std::string problem;
  } cases[] = {
      {ten, "'" + ten + "' holds 10 bytes, more than a test file may (9)"},
      {dir, "'" + dir + "' is a directory, not a file to read"},
      {missing, "cannot read '" + missing + "': No such file or directory"},
#ifndef _WIN32
      {"/dev/zero", "'/dev/zero' is a character device, not a file to read"},
#endif
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_EQ(ReadBoundedFile(c.path, {9, "a test file"}, error), std::nullopt) << c.path;
    EXPECT_EQ(error, c.problem);
  }
}

TEST_F(BoundedInput, AStreamedInputMustBeARegularFile) {
  std::ifstream in;
  std::string error;
  EXPECT_TRUE(OpenRegularInput(Path("ten.bin"), in, error)) << error;
  std::ifstream folder;
  EXPECT_FALSE(OpenRegularInput(dir_.string(), folder, error));
  EXPECT_FALSE(folder.is_open());
}

}  // namespace
}  // namespace vetra
