// `vetra trace` as a user runs it: against the virtual receiver (rules, recording, reading back
// what it logged, Ctrl-C in the middle of a read) and against a receiver the test plays byte for
// byte (the frames sent, the report's exact text, records with a wrong checksum, an unplug).
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "cli_files.h"
#include "cli_process.h"
#include "cli_scripted_receiver.h"
#include "sim/virtual_receiver.h"
#include "trace/trace_frames.h"

namespace vetra::testing {
namespace {

using namespace std::chrono_literals;

struct Result {
  int status;
  std::string out;
  std::string err;
};

Result Vetra(const std::vector<std::string>& args, const std::string& workDir = "") {
  CliProcess process(args, workDir);
  const int status = process.WaitForExit(30s);
  return {status, process.out(), process.err()};
}

bool Has(const std::string& text, const std::string& what) {
  return text.find(what) != std::string::npos;
}

// The number after "Logged: " in a status report; -1 when there is none.
int Logged(const std::string& out) {
  std::smatch match;
  static const std::regex logged("Logged: (\\d+)");
  return std::regex_search(out, match, logged) ? std::stoi(match[1]) : -1;
}

// --- Usage -------------------------------------------------------------------------------------

TEST(TraceCli, UsageErrorsExitWithTwoAndSendNothing) {
  const std::vector<std::vector<std::string>> cases = {
      {"trace", "--port", "/dev/null"},            // no action
      {"trace", "status"},                         // no port
      {"trace", "--port", "/dev/null", "rewind"},  // no such action
      {"trace", "--port", "/dev/null", "--baud", "1234", "status"},
      {"trace", "--port", "/dev/null", "setup", "--stop-on-full", "maybe"},
      {"trace", "--port", "/dev/null", "setup", "--distance", "70000"},
      {"trace", "--port", "/dev/null", "setup", "--speed", "-1"},
      {"trace", "--port", "/dev/null", "start", "--interval", "abc"},
  };
  for (const auto& args : cases) {
    const Result run = Vetra(args);
    EXPECT_EQ(run.status, 2) << args.back() << "\n" << run.err;
  }
}

TEST(TraceCli, APortThatDoesNotOpenSaysSo) {
  const Result run = Vetra({"trace", "--port", "/nonexistent/ttyVETRA", "status"});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.err, "Wrong com!")) << run.err;
}

// --- Against the virtual receiver ---------------------------------------------------------------

class TraceWithVirtualReceiver : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::SimOptions options;
    options.baud = 4800;  // the tool's own default rate: no --baud below
    options.firstFixSeconds = 0;
    receiver = std::make_unique<sim::VirtualReceiver>(options);
    ASSERT_TRUE(receiver->Start()) << receiver->error();
    ASSERT_FALSE(folder.path().empty());
  }
  std::vector<std::string> Args(const std::vector<std::string>& action) const {
    std::vector<std::string> args = {"trace", "--port", receiver->devicePath(), "--timeout", "3"};
    args.insert(args.end(), action.begin(), action.end());
    return args;
  }
  // The last command the receiver took with this id.
  std::optional<sim::CommandFrame> LastCommand(uint8_t id) const {
    std::optional<sim::CommandFrame> last;
    for (const sim::CommandFrame& frame : receiver->commands()) {
      if (frame.id == id) last = frame;
    }
    return last;
  }

  // The payload of the last Setup the receiver took.
  std::vector<uint8_t> LastSetup() const {
    std::vector<uint8_t> payload;
    for (const sim::CommandFrame& frame : receiver->commands()) {
      if (frame.id == kTraceMaintainCommand && frame.payload.at(0) == kTraceSetupAction) {
        payload = frame.payload;
      }
    }
    return payload;
  }

  std::unique_ptr<sim::VirtualReceiver> receiver;
  TempFolder folder;
};

TEST_F(TraceWithVirtualReceiver, StatusPrintsTheFullReport) {
  const Result run = Vetra(Args({"status"}));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Has(run.out, "Status: Stop\nPercentage: 0\nLogged: 0\nTotal size= 245760 Byte\n"))
      << run.out;
  EXPECT_TRUE(Has(run.out, "Stop on Full= ON\nLog on Poweron= OFF\nExtended= OFF\n")) << run.out;
  EXPECT_TRUE(Has(run.out, "min time = 1 second\nmin distance = 0 meter\nmin speed = 0 KMH\n"));
}

TEST_F(TraceWithVirtualReceiver, SetupSendsTheRulesAndShowsThemBack) {
  const Result run = Vetra(Args({"setup", "--distance", "100", "--interval", "5", "--speed", "36",
                                 "--stop-on-full", "off", "--extended", "on"}));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Has(run.out, "ACK\nStatus: Stop\n")) << run.out;
  // Log on power-on was not named: it stays as the receiver had it.
  EXPECT_TRUE(Has(run.out, "Stop on Full= OFF\nLog on Poweron= OFF\nExtended= ON\n")) << run.out;
  EXPECT_TRUE(Has(run.out, "min time = 5 second\nmin distance = 100 meter\nmin speed = 36 KMH"))
      << run.out;
  // Flags 04h, distance 100, interval 5, 36 km/h as 99 (0.1 m/s).
  EXPECT_EQ(LastSetup(), (std::vector<uint8_t>{0x03, 0x04, 100, 0, 5, 0, 99, 0}));
}

TEST_F(TraceWithVirtualReceiver, SetupChangesOnlyWhatIsNamed) {
  ASSERT_EQ(Vetra(Args({"setup", "--distance", "7", "--speed", "37", "--power-on-log", "off",
                        "--extended", "on"}))
                .status,
            0);
  const std::vector<uint8_t> before = LastSetup();
  const Result run = Vetra(Args({"setup", "--interval", "1"}));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Has(run.out, "Log on Poweron= OFF")) << run.out;
  // Every field read goes back as it was, the interval (bytes 4 and 5) excepted.
  std::vector<uint8_t> expected = before;
  expected.at(4) = 1;
  expected.at(5) = 0;
  EXPECT_EQ(LastSetup(), expected);
}

TEST_F(TraceWithVirtualReceiver, ARefusedCommandPrintsNack) {
  receiver->faults().nackAll = true;
  const Result run = Vetra(Args({"clear"}));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "NACK\n");
  EXPECT_TRUE(Has(run.err, "refused")) << run.err;
}

TEST_F(TraceWithVirtualReceiver, ASilentReceiverIsNamedAfterTheTimeout) {
  receiver->faults().ignoreCommands = true;
  Result run = Vetra({"trace", "--port", receiver->devicePath(), "--timeout", "1", "status"});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.err, "no answer within 1 s")) << run.err;
  EXPECT_EQ(run.out, "");
}

TEST_F(TraceWithVirtualReceiver, AReadWithNothingLoggedWritesNoFile) {
  ASSERT_EQ(Vetra(Args({"clear"})).status, 0);
  const Result run = Vetra(Args({"read", "--out", folder / "capture.tmp"}));
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.err, "nothing to read")) << run.err;
  EXPECT_FALSE(std::filesystem::exists(folder / "capture.tmp"));
  EXPECT_FALSE(LastCommand(kTraceReadCommand).has_value());
}

// The whole round trip: rules, clear, record until a few records are logged, stop, a read cut
// short by Ctrl-C, then the whole read into the default file, which holds exactly what the
// receiver logged.
TEST_F(TraceWithVirtualReceiver, RecordsAndReadsBackWhatTheReceiverLogged) {
  const Result setup = Vetra(Args({"setup", "--interval", "1", "--power-on-log", "off"}));
  ASSERT_EQ(setup.status, 0) << setup.err;
  ASSERT_EQ(Vetra(Args({"clear"})).status, 0);
  const Result start = Vetra(Args({"start"}));
  ASSERT_EQ(start.status, 0) << start.err;
  EXPECT_TRUE(Has(start.out, "ACK\nStatus: Recording...\n")) << start.out;
  EXPECT_EQ(LastCommand(kTraceRecordCommand)->payload, std::vector<uint8_t>{1});

  // Each status run is a whole conversation with the receiver, so asking again paces itself.
  int logged = 0;
  const auto deadline = std::chrono::steady_clock::now() + 40s;
  while (logged < 5 && std::chrono::steady_clock::now() < deadline) {
    const Result status = Vetra(Args({"status"}));
    ASSERT_EQ(status.status, 0) << status.err;
    const int now = Logged(status.out);
    ASSERT_GE(now, logged) << "the count never goes down while recording";
    logged = now;
  }
  ASSERT_GE(logged, 5);

  const Result stop = Vetra(Args({"stop"}));
  ASSERT_EQ(stop.status, 0) << stop.err;
  EXPECT_TRUE(Has(stop.out, "ACK\nStatus: Stop\n")) << stop.out;
  const int total = Logged(stop.out);
  ASSERT_EQ(total, static_cast<int>(receiver->traceRecords().size()));

  {
    // The receiver goes quiet once the read has begun; Ctrl-C ends the wait.
    const uint64_t before = receiver->commandCount();
    CliProcess read(Args({"read", "--out", folder / "partial.tmp"}));
    ASSERT_TRUE(receiver->WaitForCommands(before + 2, 20s));  // the status query, the read
    receiver->faults().silent = true;
    ASSERT_TRUE(read.WaitForErr("0/" + std::to_string(total) + " records", 20s)) << read.err();
    read.Signal(SIGINT);
    EXPECT_EQ(read.WaitForExit(20s), 130) << read.err();
    std::smatch match;
    ASSERT_TRUE(std::regex_search(read.err(), match, std::regex("interrupted after (\\d+) of")))
        << read.err();
    const size_t captured = std::stoul(match[1]);
    EXPECT_LT(captured, static_cast<size_t>(total));
    EXPECT_EQ(TraceRecordsIn(folder / "partial.tmp").size(), captured);

    // Stopped with the explicit stop ("Read Trace", action stop) and a status query.
    ASSERT_TRUE(receiver->WaitForCommands(before + 4, 10s));
    const std::vector<sim::CommandFrame> commands = receiver->commands();
    ASSERT_GE(commands.size(), 4u);
    const sim::CommandFrame& readStop = commands[commands.size() - 2];
    const sim::CommandFrame& request = commands.back();
    EXPECT_EQ(readStop.id, kTraceReadCommand);
    EXPECT_EQ(readStop.payload, (std::vector<uint8_t>{0x00, 0x00, 0x00}));
    EXPECT_EQ(request.id, kTraceMaintainCommand);
    EXPECT_EQ(request.payload, (std::vector<uint8_t>{0x00, 0x00}));
    receiver->faults().silent = false;
  }

  const Result read = Vetra(Args({"read"}), folder.path());
  ASSERT_EQ(read.status, 0) << read.err;
  EXPECT_TRUE(Has(read.out, "Read " + std::to_string(total) + " records")) << read.out;
  const std::vector<TracePayload> captured = TraceRecordsIn(folder / "tracelog.tmp");
  const std::vector<sim::TraceRecord> expected = receiver->traceRecords();
  ASSERT_EQ(captured.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(captured[i], expected[i]) << i;

  const Result after = Vetra(Args({"status"}));
  EXPECT_TRUE(Has(after.out, "Status: Stop\n")) << "the read was stopped: " << after.out;
}

// --- Against a receiver the test plays ----------------------------------------------------------

std::vector<uint8_t> StatusPayload(uint8_t state, int32_t records, uint8_t flags, uint16_t minTime,
                                   uint16_t minDistance, uint16_t minSpeedRaw) {
  std::vector<uint8_t> p(18, 0);
  p[0] = state;
  p[1] = 0x22;  // ((2 + 2) x 64 - 16) x 1024 bytes
  p[2] = 50;
  for (int i = 0; i < 4; ++i) p[3 + i] = static_cast<uint8_t>(records >> (8 * i));
  p[11] = flags;
  p[12] = static_cast<uint8_t>(minTime);
  p[13] = static_cast<uint8_t>(minTime >> 8);
  p[14] = static_cast<uint8_t>(minDistance);
  p[15] = static_cast<uint8_t>(minDistance >> 8);
  p[16] = static_cast<uint8_t>(minSpeedRaw);
  p[17] = static_cast<uint8_t>(minSpeedRaw >> 8);
  return p;
}

// The short status (F2 8A): state, records logged.
std::vector<uint8_t> ShortStatusPayload(uint8_t state, int32_t records) {
  std::vector<uint8_t> p(11, 0);
  p[0] = state;
  for (int i = 0; i < 4; ++i) p[3 + i] = static_cast<uint8_t>(records >> (8 * i));
  return p;
}

std::vector<uint8_t> RecordFrame(uint8_t seed) {
  std::vector<uint8_t> payload(kTracePayloadSize);
  for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(seed + 7 * i);
  return ScriptedReceiver::Frame(kClassReply, 0x88, payload);
}

std::vector<uint8_t> Payload(const std::vector<uint8_t>& frame) {
  return {frame.begin() + 4, frame.end() - 3};
}

void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}

class TraceWithScriptedReceiver : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(rx.ok());
    ASSERT_FALSE(folder.path().empty());
  }
  std::vector<std::string> Args(const std::vector<std::string>& action) const {
    std::vector<std::string> args = {"trace",     "--port", rx.devicePath(), "--baud", "9600",
                                     "--timeout", "2"};
    args.insert(args.end(), action.begin(), action.end());
    return args;
  }
  // Answers the status query with a report of `records` logged.
  void AnswerStatus(int32_t records) {
    const std::optional<HostFrame> query = rx.NextFrame(10s);
    ASSERT_TRUE(query.has_value());
    ASSERT_EQ(query->bytes, EncodeTraceMaintain({.rgTraceStatus = 2}));
    rx.SendAck(kTraceMaintainCommand);
    rx.SendReply(0x89, StatusPayload(0, records, 0x01, 1, 0, 0));
  }

  ScriptedReceiver rx;
  TempFolder folder;
};

TEST_F(TraceWithScriptedReceiver, StatusPrintsTheReportAsTheTracePageShowsIt) {
  CliProcess run(Args({"status"}));
  const std::optional<HostFrame> query = rx.NextFrame(10s);
  ASSERT_TRUE(query.has_value());
  // The maintain command with "Read status & configuration".
  EXPECT_EQ(query->bytes, (std::vector<uint8_t>{0x25, 0x25, 0xF1, 0x1F, 0x02, 0, 0, 0, 0, 0, 0, 0,
                                                0xEC, 0x0D, 0x0A}));
  rx.SendAck(kTraceMaintainCommand);
  rx.SendReply(0x89, StatusPayload(1, 1234, 0x05, 10, 20, 99));
  EXPECT_EQ(run.WaitForExit(10s), 0) << run.err();
  EXPECT_EQ(run.out(),
            "Status: Recording...\n"
            "Percentage: 50\n"
            "Logged: 1234\n"
            "Total size= 245760 Byte\n"
            "Stop on Full= ON\n"
            "Log on Poweron= OFF\n"
            "Extended= ON\n"
            "min time = 10 second\n"
            "min distance = 20 meter\n"
            "min speed = 36 KMH\n");
}

TEST_F(TraceWithScriptedReceiver, AnAckForAnotherCommandIsNoAnswer) {
  CliProcess run(
      {"trace", "--port", rx.devicePath(), "--baud", "9600", "--timeout", "1", "status"});
  ASSERT_TRUE(rx.NextFrame(10s).has_value());
  rx.SendAck(kTraceRecordCommand);
  EXPECT_EQ(run.WaitForExit(10s), 1);
  EXPECT_TRUE(Has(run.err(), "no answer within 1 s")) << run.err();
}

TEST_F(TraceWithScriptedReceiver, StartWithFieldsSendsTheTracePageRecordFrame) {
  CliProcess run(Args({"start", "--distance", "300", "--interval", "2"}));
  const std::optional<HostFrame> record = rx.NextFrame(10s);
  ASSERT_TRUE(record.has_value());
  // Mode 03h, 01h, distance 300, period 2, time to log 65535 (the panel's default).
  EXPECT_EQ(record->bytes, TracePageRecordFrame(1, 300, 2, 65535));
  EXPECT_EQ(Payload(record->bytes),
            (std::vector<uint8_t>{0x03, 0x01, 0x2C, 0x01, 0x02, 0x00, 0xFF, 0xFF}));
  rx.SendAck(kTraceRecordCommand);
  ASSERT_TRUE(rx.NextFrame(10s).has_value());  // the status it shows afterwards
  rx.SendAck(kTraceMaintainCommand);
  rx.SendReply(0x89, StatusPayload(1, 0, 0x01, 2, 300, 0));
  EXPECT_EQ(run.WaitForExit(10s), 0) << run.err();
  EXPECT_TRUE(Has(run.out(), "ACK\nStatus: Recording...\n")) << run.out();
}

// Only intact records count toward the announced number; the file keeps every byte received,
// the broken record and the other output included; the read ends as the page's Stop does.
TEST_F(TraceWithScriptedReceiver, AReadCountsIntactRecordsAndKeepsEveryByte) {
  const std::string capture = folder / "capture.tmp";
  CliProcess run(Args({"read", "--out", capture}));
  AnswerStatus(3);

  const std::optional<HostFrame> start = rx.NextFrame(10s);
  ASSERT_TRUE(start.has_value());
  // Trace mode 2 OR 2, binary, start position 0, 01h, rate "9600", 00h.
  EXPECT_EQ(Payload(start->bytes), (std::vector<uint8_t>{0x02, 0x01, 0, 0, 0x01, 0x01, 0x00}));

  std::vector<uint8_t> sent = ScriptedReceiver::Frame(kClassAck, kTraceReadCommand, {});
  std::vector<uint8_t> broken = RecordFrame(20);
  broken[broken.size() - 3] ^= 0xFF;  // wrong checksum
  Append(sent, RecordFrame(10));
  Append(sent, broken);
  const std::string gga = "$GPGGA,120000.00,4916.9620,N,12307.2420,W,1,08,1.0,70.0,M,,,,*14\r\n";
  Append(sent, std::vector<uint8_t>(gga.begin(), gga.end()));
  Append(sent, RecordFrame(30));
  rx.Write(sent);
  ASSERT_TRUE(run.WaitForErr("2/3 records", 10s)) << run.err();
  const std::vector<uint8_t> last = RecordFrame(40);
  rx.Write(last);
  Append(sent, last);

  // The end: the explicit stop frame and a status query, which says the read is over.
  const std::optional<HostFrame> stop = rx.NextFrame(10s);
  ASSERT_TRUE(stop.has_value());
  EXPECT_EQ(stop->bytes, EncodeTraceRead({.rgTraceReadAction = 0, .rgTraceBaud = 1}));
  const std::optional<HostFrame> request = rx.NextFrame(10s);
  ASSERT_TRUE(request.has_value());
  EXPECT_EQ(request->bytes, TracePageRequestFrame());
  rx.SendAck(kTraceReadCommand);
  rx.SendAck(kTraceMaintainCommand);
  rx.SendReply(0x8A, ShortStatusPayload(0, 3));

  EXPECT_EQ(run.WaitForExit(10s), 0) << run.err();
  EXPECT_TRUE(Has(run.out(), "Read 3 records")) << run.out();
  EXPECT_FALSE(Has(run.err(), "did not confirm")) << run.err();
  EXPECT_EQ(ReadBytes(capture), sent);
  const std::vector<TracePayload> records = TraceRecordsIn(capture);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0][0], 10);
  EXPECT_EQ(records[1][0], 30);
  EXPECT_EQ(records[2][0], 40);
}

TEST_F(TraceWithScriptedReceiver, AReceiverUnpluggedMidReadLeavesWhatArrivedInTheFile) {
  const std::string capture = folder / "capture.tmp";
  CliProcess run(Args({"read", "--out", capture}));
  AnswerStatus(3);
  ASSERT_TRUE(rx.NextFrame(10s).has_value());  // the read
  std::vector<uint8_t> sent = ScriptedReceiver::Frame(kClassAck, kTraceReadCommand, {});
  Append(sent, RecordFrame(1));
  Append(sent, RecordFrame(2));
  rx.Write(sent);
  ASSERT_TRUE(run.WaitForErr("2/3 records", 10s)) << run.err();
  rx.Unplug();
  EXPECT_EQ(run.WaitForExit(10s), 1);
  EXPECT_TRUE(Has(run.err(), "port failed")) << run.err();
  EXPECT_EQ(ReadBytes(capture), sent);
}

// The page's read frame toggles: a receiver left reading by a read cut short before would be
// stopped by it. The read starts only after the status says the receiver does not read (the
// explicit stop first); a receiver that then freezes holds the wind-down for one time-out, and
// the empty capture is removed.
TEST_F(TraceWithScriptedReceiver, AReadLeftRunningIsStoppedFirstAndAFrozenEndIsBounded) {
  const std::string capture = folder / "capture.tmp";
  CliProcess run(Args({"read", "--out", capture}));
  const std::optional<HostFrame> query = rx.NextFrame(10s);
  ASSERT_TRUE(query.has_value());
  rx.SendAck(kTraceMaintainCommand);
  rx.SendReply(0x89, StatusPayload(2, 3, 0x01, 1, 0, 0));  // still reading

  const Frame explicitStop = EncodeTraceRead({.rgTraceReadAction = 0, .rgTraceBaud = 1});
  const std::optional<HostFrame> stop = rx.NextFrame(10s);
  ASSERT_TRUE(stop.has_value());
  EXPECT_EQ(stop->bytes, explicitStop);
  const std::optional<HostFrame> again = rx.NextFrame(10s);
  ASSERT_TRUE(again.has_value());
  EXPECT_EQ(again->bytes, TracePageRequestFrame());
  rx.SendAck(kTraceReadCommand);
  rx.SendAck(kTraceMaintainCommand);
  rx.SendReply(0x8A, ShortStatusPayload(0, 3));

  const std::optional<HostFrame> start = rx.NextFrame(10s);
  ASSERT_TRUE(start.has_value());
  EXPECT_EQ(start->bytes, TracePageReadFrame(2, true, 0, 1));

  // Frozen from here on: after the silence, one exchange ends the read, and no other follows.
  const std::optional<HostFrame> windDown = rx.NextFrame(10s);
  ASSERT_TRUE(windDown.has_value());
  EXPECT_EQ(windDown->bytes, explicitStop);
  EXPECT_EQ(run.WaitForExit(20s), 1) << run.err();
  // The process has ended, but its last frame may still be on its way through the terminal.
  const std::optional<HostFrame> query3 = rx.NextFrame(10s);
  ASSERT_TRUE(query3.has_value());
  EXPECT_EQ(query3->bytes, TracePageRequestFrame());
  EXPECT_FALSE(rx.NextFrame(500ms).has_value());
  EXPECT_TRUE(Has(run.err(), "no record was read: the empty capture.tmp was removed")) << run.err();
  EXPECT_TRUE(Has(run.err(), "did not confirm the end of the read")) << run.err();
  EXPECT_FALSE(std::filesystem::exists(capture));
}

TEST_F(TraceWithScriptedReceiver, ARefusedReadStopsAtOnce) {
  const std::string capture = folder / "capture.tmp";
  CliProcess run(Args({"read", "--out", capture}));
  AnswerStatus(3);
  ASSERT_TRUE(rx.NextFrame(10s).has_value());
  rx.SendNack(kTraceReadCommand);
  EXPECT_EQ(run.WaitForExit(10s), 1);
  EXPECT_TRUE(Has(run.out(), "NACK\n")) << run.out();
}

}  // namespace
}  // namespace vetra::testing
