#include "commands/store_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "command_test_support.h"

namespace vetra {
namespace {

std::vector<uint8_t> EphemerisSlot(uint16_t week, int32_t toe) {
  std::vector<uint8_t> slot(120, 0);
  slot[0] = 1;
  slot[4] = static_cast<uint8_t>(week);
  slot[5] = static_cast<uint8_t>(week >> 8);
  for (int i = 0; i < 4; ++i)
    slot[60 + i] = static_cast<uint8_t>(static_cast<uint32_t>(toe) >> (8 * i));
  return slot;
}

TEST(StoreProgress, NothingReceivedShowsTheCountOnly) {
  EphemerisStore store;
  const StoreProgress progress = EphemerisProgress(store.Get());
  EXPECT_EQ(progress.count, "0 / 0");
  EXPECT_EQ(progress.maximum, 0);
  EXPECT_FALSE(progress.sv);
  EXPECT_FALSE(progress.weekNumber);
  EXPECT_FALSE(progress.toe);
}

TEST(StoreProgress, ShowsTheHighestPrnReceivedWithItsWeekAndToe) {
  EphemerisStore store;
  store.Put(8, 3, EphemerisSlot(1000, 1));
  store.Put(8, 17, EphemerisSlot(2301, -7200));
  store.Put(8, 9, EphemerisSlot(1002, 3));
  const StoreProgress progress = EphemerisProgress(store.Get());
  EXPECT_EQ(progress.count, "3 / 8");
  EXPECT_EQ(progress.maximum, 8);
  EXPECT_EQ(progress.position, 3);
  EXPECT_EQ(progress.sv, "17");
  EXPECT_EQ(progress.weekNumber, "2301");
  EXPECT_EQ(progress.toe, "-7200");
}

TEST(StoreProgress, ARepeatedPrnOverwritesWithoutCounting) {
  EphemerisStore store;
  store.Put(8, 17, EphemerisSlot(2301, 1));
  store.Put(8, 17, EphemerisSlot(65535, 2));
  const StoreProgress progress = EphemerisProgress(store.Get());
  EXPECT_EQ(progress.count, "1 / 8");
  EXPECT_EQ(progress.weekNumber, "65535");  // unsigned for the ephemeris
}

TEST(StoreProgress, AlmanacWeekIsSignedAndThereIsNoToe) {
  AlmanacStore store;
  std::vector<uint8_t> slot(48, 0);
  slot[44] = 0xFF;
  slot[45] = 0xFF;
  store.Put(5, 32, slot);
  const StoreProgress progress = AlmanacProgress(store.Get());
  EXPECT_EQ(progress.count, "1 / 5");
  EXPECT_EQ(progress.sv, "32");
  EXPECT_EQ(progress.weekNumber, "-1");
  EXPECT_FALSE(progress.toe);
}

class SaveFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("vetra_store_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  static std::vector<uint8_t> Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  std::filesystem::path dir_;
};

TEST_F(SaveFiles, BeforeAnyReadTheFilesAreAllZero) {
  ReceiverStores stores;
  test::RecordingMessages messages;
  ASSERT_TRUE(SaveEphemeris(stores.ephemeris, (dir_ / "e.bin").string(), messages));
  ASSERT_TRUE(SaveAlmanac(stores.almanac, (dir_ / "a.bin").string(), messages));
  EXPECT_EQ(Read(dir_ / "e.bin"), std::vector<uint8_t>(3840, 0));
  EXPECT_EQ(Read(dir_ / "a.bin"), std::vector<uint8_t>(1536, 0));
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SaveFiles, SlotsLandInPrnOrderAndReplaceAnExistingFile) {
  ReceiverStores stores;
  stores.ephemeris.Put(2, 32, std::vector<uint8_t>(120, 0xAA));
  stores.ephemeris.Put(2, 2, std::vector<uint8_t>(120, 0x55));
  std::ofstream(dir_ / "e.bin") << std::string(5000, 'x');
  test::RecordingMessages messages;
  ASSERT_TRUE(SaveEphemeris(stores.ephemeris, (dir_ / "e.bin").string(), messages));
  const auto bytes = Read(dir_ / "e.bin");
  ASSERT_EQ(bytes.size(), 3840u);
  EXPECT_EQ(bytes[119], 0);
  EXPECT_EQ(bytes[120], 0x55);
  EXPECT_EQ(bytes[239], 0x55);
  EXPECT_EQ(bytes[240], 0);
  EXPECT_EQ(bytes[31 * 120], 0xAA);
  EXPECT_EQ(bytes[3839], 0xAA);
}

TEST_F(SaveFiles, AFileThatCannotBeCreatedShowsWrongFile) {
  ReceiverStores stores;
  test::RecordingMessages messages;
  EXPECT_FALSE(SaveAlmanac(stores.almanac, (dir_ / "missing" / "a.bin").string(), messages));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Wrong file!");
  EXPECT_EQ(messages.shown[0].title, "Error");
  EXPECT_EQ(messages.shown[0].kind, IMessages::Kind::Error);
}

TEST_F(SaveFiles, AFailedWriteIsNotReportedAsSaved) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
  ReceiverStores stores;
  test::RecordingMessages messages;
  EXPECT_FALSE(SaveEphemeris(stores.ephemeris, "/dev/full", messages));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Wrong file!");
}

}  // namespace
}  // namespace vetra
