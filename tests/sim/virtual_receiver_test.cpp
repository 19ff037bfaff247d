// The virtual receiver on its pseudo-terminal, seen from a host that opens the device like any
// serial port. Waits are on conditions with deadlines; nothing here asserts how fast things are,
// only that the wire never delivers faster than the line rate allows.
#include "sim/virtual_receiver.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "sim_test_support.h"

namespace vetra::sim {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;
using test::HostPort;

int CountOf(const Bytes& bytes, const std::string& address) {
  int n = 0;
  for (const std::string& l : test::Sentences(bytes)) n += test::Fields(l)[0] == address;
  return n;
}

bool Contains(const Bytes& bytes, const std::string& text) {
  return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

// A path of this process's own, so that test programs running side by side never meet.
std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "/" + std::to_string(::getpid()) + "_" + name;
}

SimOptions Fast() {
  SimOptions o;
  o.baud = 115200;
  o.firstFixSeconds = 0;
  return o;
}

TEST(VirtualReceiver, SendsValidSentencesOnItsDevice) {
  VirtualReceiver sim(Fast());
  ASSERT_TRUE(sim.Start()) << sim.error();
  HostPort host(sim.devicePath(), 115200);
  ASSERT_TRUE(host.ok());
  ASSERT_TRUE(host.ReadUntil([](const Bytes& b) { return CountOf(b, "GPGGA") >= 2; }, 5s));
  for (const std::string& line : test::Sentences(host.received)) {
    if (line.size() < 6 || (line.compare(0, 3, "$GP") != 0 && line.compare(0, 5, "$MXTR") != 0)) {
      continue;  // the first line may be cut: the host opened mid-sentence
    }
    EXPECT_TRUE(test::ChecksumOk(line)) << line;
  }
  EXPECT_GE(CountOf(host.received, "GPGSV"), 3);
  EXPECT_GE(CountOf(host.received, "GPRMC"), 1);
  EXPECT_GT(sim.bytesSent(), 0u);
}

TEST(VirtualReceiver, NeverDeliversFasterThanTheLineRate) {
  // At 2400 baud the module has more to say (about 460 bytes a second) than the line carries
  // (240 bytes a second): without pacing the host would get it all.
  SimOptions options;
  options.baud = 2400;
  VirtualReceiver sim(options);
  ASSERT_TRUE(sim.Start()) << sim.error();
  HostPort host(sim.devicePath(), 2400);
  ASSERT_TRUE(host.ReadUntil([](const Bytes& b) { return !b.empty(); }, 5s));
  // Everything delivered before `start` is in `before`; what comes after left the wire later.
  const auto start = std::chrono::steady_clock::now();
  host.ReadAvailable();
  const size_t before = host.received.size();
  ASSERT_TRUE(host.ReadUntil([&](const Bytes& b) { return b.size() >= before + 300; }, 5s));
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // 240 bytes a second at most, plus a chunk or two in flight.
  EXPECT_LE(static_cast<double>(host.received.size() - before), 240.0 * seconds + 20.0);
  EXPECT_GT(sim.bytesSent(), 0u);
}

TEST(VirtualReceiver, AHostAtAnotherRateReceivesGarbageUntilItMatches) {
  SimOptions options;
  options.baud = 9600;
  VirtualReceiver sim(options);
  ASSERT_TRUE(sim.Start()) << sim.error();
  HostPort host(sim.devicePath(), 4800);
  ASSERT_TRUE(host.ReadUntil([](const Bytes& b) { return b.size() >= 300; }, 5s));
  EXPECT_FALSE(Contains(host.received, "$GP"));
  EXPECT_EQ(std::count(host.received.begin(), host.received.end(), '$'), 0);
  EXPECT_GT(sim.garbledBytesSent(), 0u);
  // The way the scan finds the rate: set the next one, drop what came, listen again.
  host.SetBaud(9600);
  host.Flush();
  host.received.clear();
  ASSERT_TRUE(host.ReadUntil([](const Bytes& b) { return Contains(b, "$GP"); }, 5s));
}

// A busy host may take longer than its 100 ms pause to follow the module to the loading rate: the
// reply to the start frame waits for it instead of going out garbled.
TEST(VirtualReceiver, AHostSlowToFollowTheLoadingRateStillHearsTheStartReply) {
  SimOptions options;
  options.baud = 9600;
  VirtualReceiver sim(options);
  ASSERT_TRUE(sim.Start()) << sim.error();
  HostPort host(sim.devicePath(), 9600);
  host.Write(test::CommandBytes(0xF1, 0x72, {0x06, 0x00, 0x20, 0x03, 0x00}));
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (sim.mode() != ReceiverModule::Mode::LoadStarting &&
         std::chrono::steady_clock::now() < deadline) {
    host.ReadUntil([](const Bytes&) { return false; }, 5ms);
  }
  ASSERT_EQ(sim.mode(), ReceiverModule::Mode::LoadStarting);
  // Well past the module's own reply time, the host still listens at the old rate.
  host.ReadUntil([](const Bytes&) { return false; }, 700ms);
  EXPECT_EQ(sim.garbledBytesSent(), 0u);
  host.SetBaud(115200);
  host.received.clear();
  EXPECT_TRUE(host.ReadUntil([](const Bytes& b) { return Contains(b, "$MXTR,41,72"); }, 5s))
      << std::string(host.received.begin(), host.received.end());
}

TEST(VirtualReceiver, CommandsGetAnAckAndQueriesTheirReplies) {
  VirtualReceiver sim(Fast());
  ASSERT_TRUE(sim.Start()) << sim.error();
  HostPort host(sim.devicePath(), 115200);
  const Bytes queries[] = {
      {0x25, 0x25, 0xf1, 0x05, 0x01, 0x01, 0xf4, 0x0d, 0x0a},
      test::CommandBytes(0xF1, 0x06, {0, 0, 0, 0}),
      test::CommandBytes(0xF1, 0x07, {2}),
      test::CommandBytes(0xF1, 0x0E, {0}),
      test::CommandBytes(0xF1, 0x16, Bytes(34, 0)),
      {0x25, 0x25, 0xf1, 0x17, 0x00, 0xe6, 0x0d, 0x0a},
      {0x25, 0x25, 0xf1, 0x18, 0x00, 0xe9, 0x0d, 0x0a},
      test::CommandBytes(0xF1, 0x10, {5}),  // no reply, only the ACK
  };
  for (const Bytes& q : queries) host.Write(q);
  const std::vector<std::pair<uint8_t, size_t>> replies = {
      {0x80, 22}, {0x82, 2}, {0x81, 16}, {0x85, 5}, {0x8D, 33}, {0x86, 18}, {0x87, 48}};
  const auto complete = [&](const Bytes& b) {
    const auto frames = test::ScanFrames(b);
    size_t acks = 0;
    size_t matched = 0;
    for (const auto& f : frames) {
      acks += f.frameClass == 0x06;
      for (const auto& [id, size] : replies) matched += f.id == id && f.payload.size() == size;
    }
    return acks == std::size(queries) && matched == replies.size();
  };
  EXPECT_TRUE(host.ReadUntil(complete, 5s));
  ASSERT_TRUE(sim.WaitForCommands(std::size(queries), 1s));
  const auto received = sim.commands();
  ASSERT_EQ(received.size(), std::size(queries));
  EXPECT_EQ(received[0].id, 0x05);
  EXPECT_EQ(received[7].id, 0x10);
}

TEST(VirtualReceiver, HostModeHandshake) {
  SimOptions options = Fast();
  options.hostMode = true;
  VirtualReceiver sim(options);
  ASSERT_TRUE(sim.Start()) << sim.error();
  HostPort host(sim.devicePath(), 115200);
  ASSERT_TRUE(host.ReadUntil([](const Bytes& b) { return !b.empty(); }, 3s));
  EXPECT_EQ(host.received, Bytes{'U'});
  EXPECT_FALSE(sim.handshakeDone());
  host.Write({'U'});
  ASSERT_TRUE(host.ReadUntil([](const Bytes& b) { return CountOf(b, "GPGGA") >= 1; }, 5s));
  EXPECT_TRUE(sim.handshakeDone());
}

TEST(VirtualReceiver, BinaryFramesOfTheK900) {
  SimOptions options = Fast();
  options.binaryOutput = true;
  options.chip = Chip::K900;
  VirtualReceiver sim(options);
  ASSERT_TRUE(sim.Start()) << sim.error();
  HostPort host(sim.devicePath(), 115200);
  const auto enough = [](const Bytes& b) { return test::ScanFrames(b).size() >= 8; };
  ASSERT_TRUE(host.ReadUntil(enough, 5s));
  const auto frames = test::ScanFrames(host.received);
  const uint8_t order[] = {0xD0, 0xD5, 0xD6, 0xD4};
  size_t start = 0;
  while (start < frames.size() && frames[start].id != 0xD0) ++start;
  ASSERT_LE(start + 4, frames.size());
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(frames[start + i].id, order[i]);
  EXPECT_EQ(CountOf(host.received, "GPGGA"), 0);
}

TEST(VirtualReceiver, ReplaysALogExactly) {
  const std::string path = TempPath("sim_replay.log");
  Bytes log;
  for (int i = 0; i < 40; ++i) {
    const std::string s = "$GPGGA,replayed line " + std::to_string(i) + "\r\n";
    log.insert(log.end(), s.begin(), s.end());
  }
  log.push_back(0x00);
  log.push_back(0xFF);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(log.data()), static_cast<std::streamsize>(log.size()));
  SimOptions options = Fast();
  options.replayPath = path;
  VirtualReceiver sim(options);
  ASSERT_TRUE(sim.Start()) << sim.error();
  // Not flushed: what went out before the host opened waits in the line's queue.
  HostPort host(sim.devicePath(), 115200, false);
  ASSERT_TRUE(host.ReadUntil([&](const Bytes& b) { return b.size() >= log.size(); }, 5s));
  EXPECT_EQ(host.received, log);
  EXPECT_FALSE(host.ReadUntil([&](const Bytes& b) { return b.size() > log.size(); }, 300ms));
  EXPECT_TRUE(sim.replayFinished());
  std::filesystem::remove(path);
}

TEST(VirtualReceiver, AMissingReplayLogIsAnError) {
  SimOptions options;
  options.replayPath = "/nonexistent/replay.log";
  VirtualReceiver sim(options);
  EXPECT_FALSE(sim.Start());
  EXPECT_NE(sim.error().find("/nonexistent/replay.log"), std::string::npos);
}

TEST(VirtualReceiver, StableLinkSurvivesHostReopening) {
  const std::string link = TempPath("vetra_sim_link");
  SimOptions options = Fast();
  options.linkPath = link;
  {
    VirtualReceiver sim(options);
    ASSERT_TRUE(sim.Start()) << sim.error();
    EXPECT_EQ(sim.devicePath(), link);
    EXPECT_EQ(std::filesystem::read_symlink(link), sim.slavePath());
    {
      HostPort host(link, 115200);
      ASSERT_TRUE(host.ReadUntil([](const Bytes& b) { return Contains(b, "$GP"); }, 5s));
    }
    // Closed and opened again: still the same receiver, no hang-up.
    HostPort again(link, 115200);
    ASSERT_TRUE(again.ReadUntil([](const Bytes& b) { return Contains(b, "$GPGGA"); }, 5s));
    EXPECT_FALSE(again.failed());
  }
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST(VirtualReceiver, RefusesToReplaceAFileWithItsLink) {
  const std::string path = TempPath("vetra_sim_not_a_link");
  std::ofstream(path) << "keep me";
  SimOptions options;
  options.linkPath = path;
  VirtualReceiver sim(options);
  EXPECT_FALSE(sim.Start());
  EXPECT_TRUE(std::filesystem::is_regular_file(path));
  std::filesystem::remove(path);
}

TEST(VirtualReceiver, DroppingTheLineHangsUpTheHost) {
  VirtualReceiver sim(Fast());
  ASSERT_TRUE(sim.Start()) << sim.error();
  HostPort host(sim.devicePath(), 115200);
  ASSERT_TRUE(host.ReadUntil([](const Bytes& b) { return Contains(b, "$GP"); }, 5s));
  sim.DropLine();
  EXPECT_FALSE(host.ReadUntil([](const Bytes&) { return false; }, 3s));
  EXPECT_TRUE(host.failed());
  EXPECT_TRUE(sim.lineDropped());
}

TEST(VirtualReceiver, DropsTheLineAfterSoManyReceivedBytes) {
  VirtualReceiver sim(Fast());
  sim.faults().dropLineAfterReceived = 20;
  ASSERT_TRUE(sim.Start()) << sim.error();
  HostPort host(sim.devicePath(), 115200);
  host.Write(Bytes(64, 0x55));
  EXPECT_FALSE(host.ReadUntil([](const Bytes&) { return false; }, 3s));
  EXPECT_TRUE(host.failed());
  EXPECT_TRUE(sim.lineDropped());
}

TEST(VirtualReceiver, SilenceSendsNothing) {
  VirtualReceiver sim(Fast());
  sim.faults().silent = true;
  ASSERT_TRUE(sim.Start()) << sim.error();
  HostPort host(sim.devicePath(), 115200);
  host.Write({0x25, 0x25, 0xf1, 0x17, 0x00, 0xe6, 0x0d, 0x0a});
  ASSERT_TRUE(sim.WaitForCommands(1, 2s));
  EXPECT_FALSE(host.ReadUntil([](const Bytes& b) { return !b.empty(); }, 1500ms));
  sim.faults().silent = false;
  EXPECT_TRUE(host.ReadUntil([](const Bytes& b) { return Contains(b, "$GP"); }, 5s));
}

}  // namespace
}  // namespace vetra::sim
