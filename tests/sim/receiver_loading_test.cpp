// The two firmware-loading dialogues, driven as the host's loader drives them.
#include <gtest/gtest.h>

#include <string>

#include "sim/receiver_module.h"
#include "sim_test_support.h"

namespace vetra::sim {
namespace {

using Bytes = std::vector<uint8_t>;
using test::CommandBytes;
using test::Fields;
using test::ModuleDriver;
using test::Sentences;

constexpr int64_t kStartUtcMs = 1710419719400;

Bytes Image(size_t size) {
  Bytes image(size);
  for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>(i * 7 + i / 251);
  return image;
}

// The host's image checksum: XOR of the little-endian 16-bit words.
uint16_t LittleEndianXor(const Bytes& image) {
  uint16_t sum = 0;
  for (size_t k = 0; k + 1 < image.size(); k += 2)
    sum ^= static_cast<uint16_t>(image[k] | image[k + 1] << 8);
  return sum;
}

Bytes StartFrame(uint16_t addressHigh, uint16_t kib) {
  return CommandBytes(
      0xF1, 0x72,
      {0x06, static_cast<uint8_t>(addressHigh), static_cast<uint8_t>(addressHigh >> 8),
       static_cast<uint8_t>(kib), static_cast<uint8_t>(kib >> 8)});
}

std::string Text(const Bytes& b) { return std::string(b.begin(), b.end()); }

int CountMxtr(const Bytes& out, const std::string& a, const std::string& b) {
  int n = 0;
  for (const std::string& l : Sentences(out)) {
    const auto f = Fields(l);
    n += f[0] == "MXTR" && f.size() >= 3 && f[1] == a && f[2] == b;
  }
  return n;
}

TEST(ReceiverLoading, RunningFirmwareTakesAnImageWithDataRequestsEvery16KiB) {
  SimOptions options;
  ReceiverModule module(options, kStartUtcMs);
  ModuleDriver driver(module);
  driver.RunUntil(1.0);
  const Bytes image = Image(40 * 1024);
  driver.Send(StartFrame(0x2000, 40));
  EXPECT_EQ(module.baud(), 115200);  // switched at once: the host follows 100 ms later
  Bytes out = driver.RunUntil(1.5);
  EXPECT_EQ(CountMxtr(out, "41", "72"), 1);
  EXPECT_TRUE(test::ScanFrames(out).empty());  // no ACK frame, no navigation output
  driver.Send({0x25, 0x25, 0xF1, 0x73, 0x82, 0x0D, 0x0A});
  out = driver.RunUntil(3.2);
  EXPECT_EQ(CountMxtr(out, "41", "73"), 1);

  int requests = 0;
  for (size_t offset = 0; offset < image.size(); offset += 64) {
    driver.Send(Bytes(image.begin() + offset, image.begin() + offset + 64));
    if ((offset + 64) % 16384 == 0) {
      out = driver.RunUntil(driver.now() + 0.05, 0.01);
      for (const std::string& l : Sentences(out))
        requests += Fields(l).size() == 4 && Fields(l)[3] == "DATARQST";
    }
  }
  EXPECT_EQ(requests, 2);  // after 16 and 32 KiB, not after the last byte
  EXPECT_EQ(module.flashImage(), image);
  EXPECT_EQ(module.mode(), ReceiverModule::Mode::Rebooting);
  out = driver.RunUntil(driver.now() + 2.0);
  EXPECT_EQ(module.baud(), 4800);  // the new image talks at the module's own rate
  const auto lines = Sentences(out);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(Fields(lines[0])[1], "REV");
  EXPECT_NE(module.revision().date, 0x00231114u);  // the revision reply tells the new image
}

TEST(ReceiverLoading, ARefusedStartIsAnsweredAtTheLoadingRate) {
  struct Row {
    const char* what;
    Chip chip;
    uint16_t address;
    uint16_t kib;
    bool refuse;
  } rows[] = {{"K700 address on a K900", Chip::K900, 0x2000, 64, false},
              {"image too large", Chip::K700, 0x2000, 513, false},
              {"refusal switched on", Chip::K700, 0x2000, 64, true}};
  for (const Row& row : rows) {
    SimOptions options;
    options.chip = row.chip;
    FaultSwitches faults;
    faults.refuseLoad = row.refuse;
    ReceiverModule module(options, kStartUtcMs, &faults);
    ModuleDriver driver(module);
    driver.RunUntil(1.0);
    driver.Send(StartFrame(row.address, row.kib));
    const Bytes out = driver.RunUntil(1.45, 0.01);
    EXPECT_EQ(CountMxtr(out, "4E", "72"), 1) << row.what;
    EXPECT_EQ(module.mode(), ReceiverModule::Mode::Running) << row.what;
    driver.RunUntil(2.5);
    EXPECT_EQ(module.baud(), 4800) << row.what;  // back at its own rate
  }
}

TEST(ReceiverLoading, BootMonitorDialogueReportsTheImageChecksum) {
  for (bool corrupt : {false, true}) {
    SimOptions options;
    options.bootMonitor = true;
    FaultSwitches faults;
    faults.corruptChecksums = corrupt;
    ReceiverModule module(options, kStartUtcMs, &faults);
    ModuleDriver driver(module);
    EXPECT_EQ(module.baud(), 115200);
    EXPECT_TRUE(driver.RunUntil(1.0).empty());  // the ROM loader says nothing by itself

    driver.Send(Bytes(3000, 'S'));  // the monitor program
    EXPECT_EQ(Text(driver.RunUntil(1.2)), "");
    EXPECT_EQ(Text(driver.RunUntil(1.5)), "<MPD>");
    driver.Send({'E'});
    EXPECT_EQ(Text(driver.RunUntil(3.0)), "");
    EXPECT_EQ(Text(driver.RunUntil(3.6)), "<ERASE>");

    Bytes image = Image(3000);
    image.resize(3072, 0xFF);  // the host pads the last kilobyte
    for (size_t i = 0; i < image.size(); i += 1024) {
      driver.Send(Bytes(image.begin() + i, image.begin() + i + 1024));
    }
    const std::string done = Text(driver.RunUntil(4.2));
    ASSERT_EQ(done.size(), 10u) << done;
    EXPECT_EQ(done.substr(0, 5), "<DONE");
    const uint16_t reported = static_cast<uint16_t>(std::stoul(done.substr(5, 4), nullptr, 16));
    const uint16_t swapped = static_cast<uint16_t>(reported >> 8 | reported << 8);
    EXPECT_EQ(swapped == LittleEndianXor(image), !corrupt);
    EXPECT_EQ(module.flashImage(), image);

    driver.Send({'Z'});
    const auto lines = Sentences(driver.RunUntil(6.0));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(Fields(lines[0])[1], "REV");
    EXPECT_EQ(module.baud(), 4800);
  }
}

TEST(ReceiverLoading, AnAbandonedLoadFallsBackToTheOldImage) {
  ReceiverModule module(SimOptions{}, kStartUtcMs);
  ModuleDriver driver(module);
  driver.RunUntil(1.0);
  driver.Send(StartFrame(0x2000, 64));
  driver.RunUntil(1.5);
  driver.Send({0x25, 0x25, 0xF1, 0x73, 0x82, 0x0D, 0x0A});
  driver.RunUntil(3.0);
  driver.Send(Bytes(1000, 0x55));
  driver.RunUntil(25.0, 0.25);
  EXPECT_EQ(module.mode(), ReceiverModule::Mode::Running);
  EXPECT_EQ(module.baud(), 4800);
  EXPECT_TRUE(module.flashImage().empty());
}

}  // namespace
}  // namespace vetra::sim
