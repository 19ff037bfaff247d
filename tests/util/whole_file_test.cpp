// The whole-file writer on any system: a new or existing file is replaced whole, a folder is
// refused, and UTF-8 names reach the file system as they are.
#include "util/whole_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/temp_path.h"
#include "util/utf8_path.h"

namespace vetra {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class WholeFile : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(dir_); }
  void TearDown() override { fs::remove_all(dir_); }
  // Nothing but the named files: no ".part" left behind.
  size_t FilesInFolder() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {}));
  }
  fs::path dir_ = test::UniqueTempPath("vetra-whole");
};

TEST_F(WholeFile, ANewPathAndAnExistingFileAreWrittenWhole) {
  const fs::path file = dir_ / "out.csv";
  ASSERT_TRUE(WriteFileWhole(Utf8Text(file), "first\n"));
  EXPECT_EQ(Contents(file), "first\n");
  ASSERT_TRUE(WriteFileWhole(Utf8Text(file), "2"));
  EXPECT_EQ(Contents(file), "2");
  EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(WholeFile, AFolderIsRefusedWithTheReasonAndNothingIsWritten) {
  std::string error;
  EXPECT_FALSE(WriteFileWhole(Utf8Text(dir_), "text", &error));
  EXPECT_EQ(error, "it is a directory");
  EXPECT_EQ(FilesInFolder(), 0u);
}

TEST_F(WholeFile, AWriterNotCommittedLeavesTheEarlierFileAndNoPartBehind) {
  const fs::path file = dir_ / "kept.txt";
  ASSERT_TRUE(WriteFileWhole(Utf8Text(file), "earlier"));
  {
    WholeFileWriter writer(Utf8Text(file));
    ASSERT_TRUE(writer.Write("half of the new"));
  }
  EXPECT_EQ(Contents(file), "earlier");
  EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(WholeFile, AMissingFolderSaysWhy) {
  std::string error;
  EXPECT_FALSE(WriteFileWhole(Utf8Text(dir_ / "missing" / "out.txt"), "x", &error));
  EXPECT_FALSE(error.empty());
}

TEST_F(WholeFile, AUtf8NameIsTheFileSystemsName) {
  const std::string name =
      "Gr\xC3\xBC\xC3\x9F"
      "e-\xE6\xB8\xAC\xE9\x87\x8F.csv";  // Grüße-測量.csv
  ASSERT_TRUE(WriteFileWhole(Utf8Text(dir_) + "/" + name, "utf8"));
  EXPECT_EQ(Contents(dir_ / fs::path(u8"Gr\u00FC\u00DFe-\u6E2C\u91CF.csv")), "utf8");
}

}  // namespace
}  // namespace vetra
