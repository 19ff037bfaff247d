// Reading the image and monitor files: sizes, padding, refusals and the word checksum.
#include <gtest/gtest.h>

#include <filesystem>

#include <algorithm>
#include <iterator>
#include <string>

#include "firmware/firmware_image.h"
#include "temp_files.h"

namespace vetra {
namespace {

bool AllFF(std::span<const uint8_t> bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0xFF; });
}

TEST(ImageFile, SizeIsTheLengthRoundedUpToWholeKilobytes) {
  struct Row {
    size_t length;
    int32_t size;
    const char* shown;
  };
  const Row rows[] = {{1, 1024, "1"},
                      {1024, 1024, "1"},
                      {1025, 2048, "2"},
                      {3000, 3072, "3"},
                      {524'288, 524'288, "512"}};
  test::TempFolder folder;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.length);
    FirmwareImage image;
    ImageFileView view;
    const std::string path = folder.WritePattern("image.bin", row.length);
    ASSERT_TRUE(ReadImageFile(path, image, view));
    EXPECT_EQ(image.size(), row.size);
    EXPECT_EQ(view.loadSizeText, row.shown);
    EXPECT_EQ(view.filePath, path);
    EXPECT_EQ(view.lastFolder, folder.path());
    // The file's bytes, then FFh to the end of the buffer.
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), {});
    EXPECT_TRUE(std::equal(file.begin(), file.end(), image.buffer().begin()));
    EXPECT_TRUE(AllFF(image.buffer().subspan(row.length)));
  }
}

TEST(ImageFile, TooLongMissingOrNotAFileChangesNothing) {
  test::TempFolder folder;
  FirmwareImage image;
  ImageFileView view;
  ASSERT_TRUE(ReadImageFile(folder.WritePattern("good.bin", 2'000, 9), image, view));
  const std::vector<uint8_t> before(image.buffer().begin(), image.buffer().end());
  const ImageFileView viewBefore = view;

  const std::string refused[] = {folder.WritePattern("big.bin", 524'289),
                                 folder.path() + "/missing.bin", folder.path()};
  for (const std::string& path : refused) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(ReadImageFile(path, image, view));
    EXPECT_EQ(image.size(), 2048);
    EXPECT_EQ(view.loadSizeText, viewBefore.loadSizeText);
    EXPECT_EQ(view.filePath, viewBefore.filePath);
    EXPECT_EQ(view.lastFolder, viewBefore.lastFolder);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), image.buffer().begin()));
  }
}

TEST(ImageFile, ARefusedFileIsToldWhy) {
  test::TempFolder folder;
  const struct {
    std::string path;
    std::string problem;
  } rows[] = {
      {folder.path() + "/missing.bin", "missing"},
      {folder.Write("empty.bin", {}), "empty"},
      {folder.WritePattern("big.bin", 600'000),
       "larger than the chip takes (600000 bytes; at most 524288)"},
      {folder.path(), "not a regular file"},
      {folder.WritePattern("good.bin", 524'288), ""},
  };
  for (const auto& row : rows) EXPECT_EQ(ImageFileProblem(row.path), row.problem) << row.path;
}

TEST(ImageFile, EmptyFileIsRefusedButRemembersItsPathAndErasesTheBuffer) {
  test::TempFolder folder;
  FirmwareImage image;
  ImageFileView view;
  ASSERT_TRUE(ReadImageFile(folder.WritePattern("good.bin", 5'000), image, view));
  const std::string empty = folder.Write("empty.bin", {});
  EXPECT_FALSE(ReadImageFile(empty, image, view));
  EXPECT_EQ(image.size(), 5120);  // keeps its previous value
  EXPECT_EQ(view.loadSizeText, "5");
  EXPECT_EQ(view.filePath, empty);
  EXPECT_EQ(view.lastFolder, folder.path());
  EXPECT_TRUE(AllFF(image.buffer()));
}

TEST(ImageFile, ShorterImageLeavesNoTraceOfTheLongerOne) {
  test::TempFolder folder;
  FirmwareImage image;
  ImageFileView view;
  ASSERT_TRUE(ReadImageFile(folder.WritePattern("long.bin", 300'000, 3), image, view));
  ASSERT_TRUE(ReadImageFile(folder.WritePattern("short.bin", 10, 5), image, view));
  EXPECT_EQ(image.size(), 1024);
  EXPECT_EQ(view.loadSizeText, "1");
  EXPECT_TRUE(AllFF(image.buffer().subspan(10)));
}

TEST(ImageChecksum, IsTheXorOfLittleEndianWordsOfThePaddedImage) {
  test::TempFolder folder;
  FirmwareImage image;
  ImageFileView view;
  // 01h 02h, then FFh to 1,024 bytes: 0201h ^ 511 words of FFFFh.
  ASSERT_TRUE(ReadImageFile(folder.Write("two.bin", {0x01, 0x02}), image, view));
  EXPECT_EQ(ImageXorSum(image), 0xFDFE);
  // Two words, then 510 words of FFFFh that cancel out.
  ASSERT_TRUE(ReadImageFile(folder.Write("pair.bin", {0x34, 0x12, 0x78, 0x56}), image, view));
  EXPECT_EQ(ImageXorSum(image), 0x1234 ^ 0x5678);
  EXPECT_EQ(ImageXorSum(FirmwareImage{}), 0);
}

TEST(MonitorFile, IsReadFromTheStartFolderByChipAndCutAtItsCapacity) {
  test::TempFolder folder;
  // Compared as paths: Windows joins with its own separator.
  const std::filesystem::path start(folder.path());
  EXPECT_EQ(std::filesystem::path(MonitorFilePath(false, folder.path())), start / "mpd.srec");
  EXPECT_EQ(std::filesystem::path(MonitorFilePath(true, folder.path())), start / "mpdK900.srec");

  MonitorImage monitor;
  folder.WritePattern("mpd.srec", 40'000, 7);
  EXPECT_TRUE(ReadMonitorFile(false, folder.path(), monitor));
  EXPECT_EQ(monitor.size(), 30'720);
  std::ifstream in(folder.path() + "/mpd.srec", std::ios::binary);
  std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), {});
  EXPECT_TRUE(std::equal(monitor.data().begin(), monitor.data().end(), file.begin()));

  // No K900 monitor there: not ready, size 0, also after the K700 one was loaded.
  EXPECT_FALSE(ReadMonitorFile(true, folder.path(), monitor));
  EXPECT_EQ(monitor.size(), 0);

  folder.WritePattern("mpdK900.srec", 1'234);
  EXPECT_TRUE(ReadMonitorFile(true, folder.path(), monitor));
  EXPECT_EQ(monitor.size(), 1'234);

  folder.Write("mpd.srec", {});
  EXPECT_FALSE(ReadMonitorFile(false, folder.path(), monitor));
  EXPECT_FALSE(monitor.ready());
}

}  // namespace
}  // namespace vetra
