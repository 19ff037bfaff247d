// The receiver conversation: one pass at a time with a scripted port and a fake clock (its thread
// not started): the monitoring passes, the queue of writes and each outcome of send-and-wait; then
// the threaded cases: switching off and lending the port while the thread reads, a blocking wait
// that its answer or a stop ends, and the window's operations racing the passes.
#include "session/receiver_conversation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "link/file_sink.h"
#include "link/frame.h"
#include "support/fake_clock.h"
#include "support/scripted_port.h"

namespace vetra {
namespace {

using namespace std::chrono_literals;

std::string Sentence(const std::string& body) {
  uint8_t sum = 0;
  for (char c : body) sum ^= static_cast<uint8_t>(c);
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
  return "$" + body + tail;
}

const std::string kGga =
    Sentence("GPGGA,123519.000,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,");

std::string Frame(uint8_t frameClass, uint8_t id, std::vector<uint8_t> payload = {}) {
  uint8_t out[kMaxFrameSize];
  const size_t n = BuildFrame(frameClass, id, payload, out);
  return std::string(reinterpret_cast<const char*>(out), n);
}

// The clock solution reply sets TBinary's updated flag; the byte at offset 8 lands in the clock
// bias, so each frame can be told apart.
std::string ClockSolution(uint8_t mark) {
  std::vector<uint8_t> payload(32, 0);
  payload[15] = 0x40;  // clock bias 2.0 ...
  payload[14] = mark;  // ... give or take the mark
  return Frame(kClassReply, 0xD4, payload);
}

std::string Ack(uint8_t command) { return Frame(kClassAck, command); }
std::string Nack(uint8_t command) { return Frame(kClassNack, command); }

std::string Ephemeris(uint8_t expected, uint8_t prn) {
  std::vector<uint8_t> payload(122, 0);
  payload[0] = expected;
  payload[1] = prn;
  return Frame(kClassReply, 0x83, payload);
}

const std::string kAck = Ack(0x09);

std::string WithoutLineEnd(const std::string& s) { return s.substr(0, s.size() - 2); }

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

// The scripted port stays the test's; the conversation owns this stand-in, which forwards to it.
class PortRef final : public IPort {
 public:
  explicit PortRef(test::ScriptedPort& port) : port_(port) {}
  int rxData(uint8_t* buffer, int maxCount) override { return port_.rxData(buffer, maxCount); }
  int txData(const uint8_t* bytes, int count) override { return port_.txData(bytes, count); }
  bool Reset(int baud, int size, int stop, int parity) override {
    return port_.Reset(baud, size, stop, parity);
  }
  int baudRate() const override { return port_.baudRate(); }

 private:
  test::ScriptedPort& port_;
};

std::string ReplyText(const ReplyEvent& reply) {
  switch (reply.kind) {
    case ReplyKind::Ack:
      return "ack " + std::to_string(reply.id);
    case ReplyKind::Nack:
      return "nack " + std::to_string(reply.id);
    default:
      return "reply " + std::to_string(reply.id);
  }
}

// Records what each pass value shows, one text per item, in order. Thread-safe; waits with a
// deadline.
class RecordingDisplay : public IPassDisplay {
 public:
  void ShowPass(const PassValue& pass) override {
    if (pass.heartbeat != 0) Add(std::string("beat ") + pass.heartbeat);
    for (const EchoedLine& line : pass.lines) Add("line " + line.text);
    for (const ReplyEvent& reply : pass.replies) Add(ReplyText(reply));
    for (const auto* update : {&pass.navigation, &pass.binaryNavigation}) {
      if (!*update) continue;
      {
        std::lock_guard lock(mutex_);
        shown_.push_back((*update)->record);
      }
      Add((*update)->source == DisplaySource::Nmea ? "nav nmea" : "nav binary");
    }
    if (pass.hostAnswered) Add("host button");
    if (pass.portFailed) Add("port failed");
    if (pass.captureFailure) Add("capture failed: " + pass.captureFailure->reason);
    {
      std::lock_guard lock(mutex_);
      last_ = pass;
    }
    if (onPass) onPass();
  }

  std::vector<std::string> events() const {
    std::lock_guard lock(mutex_);
    return events_;
  }
  std::vector<TNavRecord> shown() const {
    std::lock_guard lock(mutex_);
    return shown_;
  }
  PassValue last() const {
    std::lock_guard lock(mutex_);
    return last_;
  }
  int Count(const std::string& event) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count(events_.begin(), events_.end(), event));
  }
  bool WaitFor(const std::string& event, int times, std::chrono::seconds deadline = 20s) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(
        lock, deadline, [&] { return std::count(events_.begin(), events_.end(), event) >= times; });
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    events_.clear();
    shown_.clear();
  }

  std::function<void()> onPass;

 private:
  void Add(std::string event) {
    {
      std::lock_guard lock(mutex_);
      events_.push_back(std::move(event));
    }
    changed_.notify_all();
  }
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> events_;
  std::vector<TNavRecord> shown_;
  PassValue last_;
};

void Inline(const std::function<void()>& fn) { fn(); }

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::filesystem::path TempPath(const std::string& name) {
  return std::filesystem::path(::testing::TempDir()) / ("conversation_" + name);
}

std::unique_ptr<IByteSink> File(const std::filesystem::path& path) {
  std::string error;
  return FileSink::Open(path.string(), error);
}

// --- One pass at a time --------------------------------------------------------------------------

class ConversationPass : public ::testing::Test {
 protected:
  void Start(bool hostMode = false) {
    ReceiverConversation::Options options;
    options.hostMode = hostMode;
    options.startThread = false;
    conversation = std::make_unique<ReceiverConversation>(clock, Inline, display, stores, options);
    conversation->AttachPort(std::make_unique<PortRef>(port));
    conversation->SetActive(true);
  }
  void Passes(int n) {
    for (int i = 0; i < n; ++i) conversation->RunPass();
  }

  test::FakeClock clock{1'000'000};
  test::ScriptedPort port;
  RecordingDisplay display;
  ReceiverStores stores;
  std::unique_ptr<ReceiverConversation> conversation;  // last: goes first
};

TEST_F(ConversationPass, PacesItsPassesAndReadsOneLessThanItsBuffer) {
  Start();
  conversation->SetActive(false);
  Passes(2);  // inactive: 500 ms each, the port untouched
  EXPECT_EQ(clock.nowSeconds(), 1'000'001);
  EXPECT_TRUE(port.readSizes().empty());

  conversation->SetActive(true);
  Passes(10);  // active: 100 ms each, one read each
  EXPECT_EQ(clock.nowSeconds(), 1'000'002);
  EXPECT_EQ(port.readSizes(), std::vector<int>(10, ReceiverConversation::kReceiveBufferSize - 1));

  conversation->ClosePort();
  Passes(5);  // no port: 200 ms each
  EXPECT_EQ(clock.nowSeconds(), 1'000'003);
  EXPECT_EQ(port.readSizes().size(), 10u);
}

TEST_F(ConversationPass, HeartbeatAlternatesOnPassesThatReceived) {
  Start();
  port.QueueRead("a");
  port.QueueEmptyRead();
  port.QueueRead("b");
  port.QueueRead("c");
  Passes(4);
  EXPECT_EQ(display.events(), (std::vector<std::string>{"beat X", "beat O", "beat X"}));
}

TEST_F(ConversationPass, EchoesEachLineThenShowsTheNavigationOnce) {
  Start();
  port.QueueRead(kGga + kGga + kAck);
  Passes(1);
  EXPECT_EQ(display.events(),
            (std::vector<std::string>{"beat X", "line " + WithoutLineEnd(kGga),
                                      "line " + WithoutLineEnd(kGga),
                                      "line " + WithoutLineEnd(kAck), "ack 9", "nav nmea"}));
  ASSERT_EQ(display.shown().size(), 1u);
  EXPECT_EQ(display.shown()[0].hour, 12);
  EXPECT_EQ(display.shown()[0].updated, 0);
  EXPECT_EQ(conversation->DisplayCopy().hour, 12);
}

TEST_F(ConversationPass, NmeaInEveryPassDoesNotStarveTheBinaryRecord) {
  Start();
  for (uint8_t mark = 1; mark <= 3; ++mark) port.QueueRead(ClockSolution(mark) + kGga);
  Passes(3);
  // Both hand-offs in each pass, TNmea's first.
  EXPECT_EQ(display.Count("nav nmea"), 3);
  EXPECT_EQ(display.Count("nav binary"), 3);
  const std::vector<TNavRecord> shown = display.shown();
  ASSERT_EQ(shown.size(), 6u);
  EXPECT_NE(shown[5].clockBias, shown[3].clockBias);  // each pass's own binary record
  EXPECT_DOUBLE_EQ(conversation->DisplayCopy().clockBias, shown[5].clockBias);
  Passes(1);  // nothing held back
  EXPECT_EQ(display.shown().size(), 6u);
}

TEST_F(ConversationPass, ClosedEpochsAndWholeSentencesTravelInThePassValue) {
  Start();
  std::vector<Epoch> epochs;
  std::vector<std::string> sentences;
  display.onPass = [&] {
    const PassValue pass = display.last();
    epochs.insert(epochs.end(), pass.epochs.begin(), pass.epochs.end());
    sentences.insert(sentences.end(), pass.sentences.begin(), pass.sentences.end());
  };
  port.QueueRead(kGga);
  Passes(3);
  EXPECT_TRUE(epochs.empty());  // the receiver may still send more of the epoch
  Passes(5);                    // a silence closes it
  ASSERT_EQ(epochs.size(), 1u);
  EXPECT_EQ(epochs[0].UtcText(), "12:35:19.000Z");
  EXPECT_EQ(sentences, std::vector<std::string>{WithoutLineEnd(kGga)});
}

TEST_F(ConversationPass, HostModeAnswersALoneU) {
  Start(/*hostMode=*/true);
  port.QueueRead("U");
  Passes(1);
  EXPECT_EQ(port.written(), "U");
  EXPECT_EQ(display.events(), (std::vector<std::string>{"beat X", "host button"}));

  // A 'U' inside a longer run is parsed like any other byte.
  port.QueueRead("U" + kGga);
  Passes(1);
  EXPECT_EQ(port.written(), "U");
  EXPECT_EQ(display.Count("line U" + WithoutLineEnd(kGga)), 1);
}

TEST_F(ConversationPass, LoneUIsParsedOutsideHostMode) {
  Start(/*hostMode=*/false);
  port.QueueRead("U");
  Passes(1);
  EXPECT_EQ(port.written(), "");
  EXPECT_EQ(display.Count("host button"), 0);
}

TEST_F(ConversationPass, FailedHandshakeWriteIsIgnored) {
  Start(/*hostMode=*/true);
  port.SetWriteFails(true);
  port.QueueRead("U");
  EXPECT_NO_THROW(Passes(1));
  EXPECT_EQ(display.Count("host button"), 0);
  port.QueueRead(kGga);
  Passes(1);
  EXPECT_EQ(display.Count("nav nmea"), 1);
}

TEST_F(ConversationPass, RestartMonitoringResetsThePortAndDiscardsWhatWasQueued) {
  Start();
  port.QueueRead(kGga);
  Passes(1);
  ASSERT_EQ(conversation->DisplayCopy().fixMode, 2);
  EXPECT_EQ(display.last().monitoringRestarts, 0u);

  conversation->RestartMonitoring();  // a request: taken, with the line reset, by the next pass
  EXPECT_TRUE(port.resets().empty());
  port.QueueRead(kGga);
  port.QueueRead(std::string(3000, 'x'));  // more than one read's worth
  display.Clear();
  const size_t readsBefore = port.readSizes().size();
  Passes(1);
  EXPECT_EQ(port.resets(), (std::vector<test::ScriptedPort::ResetCall>{{0, 8, 0, 0}}));
  const std::vector<int> allReads = port.readSizes();
  const std::vector<int> reads(allReads.begin() + static_cast<long>(readsBefore), allReads.end());
  // Drained with whole-buffer reads until one came back empty, then the pass's own read.
  EXPECT_EQ(reads, (std::vector<int>{2048, 2048, 2048, 2048, 2047}));
  EXPECT_TRUE(display.events().empty());  // nothing shown until a parser has news
  const TNavRecord reset = conversation->DisplayCopy();
  EXPECT_EQ(reset.speedKmh, -1);
  EXPECT_EQ(reset.fixMode, 0);
  EXPECT_EQ(reset.fixIndicator, 5);

  Passes(1);
  EXPECT_EQ(port.resets().size(), 1u);  // one reset per request
  port.QueueRead(kGga);
  Passes(1);
  EXPECT_EQ(display.Count("nav nmea"), 1);
  // Each pass says which restart request it was read after.
  EXPECT_EQ(display.last().monitoringRestarts, 1u);
  EXPECT_EQ(conversation->RestartMonitoring(), 2u);
}

TEST_F(ConversationPass, RawLogHoldsExactlyTheReceivedBytes) {
  Start(/*hostMode=*/true);
  const auto path = TempPath("raw.bin");
  ASSERT_TRUE(conversation->AttachLog(File(path)));
  EXPECT_FALSE(conversation->AttachLog(File(TempPath("second.bin"))));  // one capture at a time

  const std::string binary("\x00\xFF%%\x0D\x0A\x00", 7);
  const std::vector<std::string> chunks = {kGga, binary, "U", "plain", ClockSolution(7)};
  std::string expected;
  for (const auto& chunk : chunks) {
    port.QueueRead(chunk);
    expected += chunk;
  }
  Passes(static_cast<int>(chunks.size()) + 1);
  conversation->CloseLog();
  EXPECT_FALSE(conversation->logAttached());
  EXPECT_EQ(ReadFile(path), expected);

  // The slot is free again.
  EXPECT_TRUE(conversation->AttachLog(File(TempPath("next.bin"))));
}

TEST_F(ConversationPass, ReadFailureStopsReadingClosesTheLogAndTellsTheDisplayOnce) {
  Start();
  const auto path = TempPath("failure.bin");
  ASSERT_TRUE(conversation->AttachLog(File(path)));
  port.QueueRead("first bytes " + kGga);
  port.QueueFailure();
  port.QueueRead("never read");
  Passes(4);

  EXPECT_EQ(display.Count("port failed"), 1);
  EXPECT_FALSE(conversation->active());
  EXPECT_FALSE(conversation->logAttached());
  EXPECT_EQ(ReadFile(path), "first bytes " + kGga);
  EXPECT_EQ(port.pendingDeliveries(), 1u);

  // Switched on again (a new port), it reads again.
  conversation->SetActive(true);
  Passes(1);
  EXPECT_EQ(port.pendingDeliveries(), 0u);
}

#ifdef __linux__
// A capture that cannot be written (a full disk) is closed and told once, with the system's
// reason; monitoring goes on and the slot is free again.
TEST_F(ConversationPass, ACaptureThatCannotBeWrittenIsClosedAndToldOnce) {
  Start();
  ASSERT_TRUE(conversation->AttachLog(File("/dev/full")));
  port.QueueRead(kGga);
  port.QueueRead(kGga);
  Passes(3);
  EXPECT_EQ(display.Count("capture failed: No space left on device"), 1);
  EXPECT_FALSE(conversation->logAttached());
  EXPECT_TRUE(conversation->active());
}
#endif

TEST_F(ConversationPass, ReadFailureWhileDrainingIsAPortFailureToo) {
  Start();
  conversation->RestartMonitoring();
  port.QueueRead("stale");
  port.QueueFailure();
  Passes(2);
  EXPECT_EQ(display.Count("port failed"), 1);
  EXPECT_FALSE(conversation->active());
}

TEST_F(ConversationPass, HandOffsLeaveTheRecordsAndThePortFree) {
  Start();
  // Inside a hand-off the window thread may restart monitoring, copy records, switch the
  // conversation off and lend the port. A helper thread stands in for the window thread, as the
  // hand-off here runs inline.
  int handOffs = 0;
  display.onPass = [&] {
    std::thread([&] {
      (void)conversation->DisplayCopy();
      conversation->RestartMonitoring();
      conversation->SetActive(false);
      EXPECT_NE(conversation->LendPort(), nullptr);
    }).join();
    ++handOffs;
  };
  port.QueueRead(kAck + ClockSolution(3));
  Passes(2);
  EXPECT_EQ(handOffs, 1);
  EXPECT_FALSE(conversation->active());
}

TEST_F(ConversationPass, ChannelCountIsARequestTakenAtTheNextPass) {
  Start();
  EXPECT_EQ(conversation->channelCount(), 12);
  conversation->ToggleChannelCount(false);
  EXPECT_EQ(conversation->channelCount(), 12);
  Passes(1);
  EXPECT_EQ(conversation->channelCount(), 16);
  conversation->ToggleChannelCount(false);
  conversation->ToggleChannelCount(true);
  conversation->ToggleChannelCount(true);
  Passes(1);
  EXPECT_EQ(conversation->channelCount(), 16);  // the second chip keeps 16
  port.QueueRead(kGga);
  Passes(1);
  EXPECT_EQ(display.last().channelCount, 16);
}

TEST_F(ConversationPass, LineHealthCountsWhatCameIn) {
  Start();
  std::string badChecksum = kGga;
  badChecksum[badChecksum.size() - 3] ^= 1;
  std::string badFrame = kAck;
  badFrame[4] ^= 1;
  const std::string otherTalker =
      Sentence("GNGGA,123519.000,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,");
  size_t bytes = 0;
  for (const std::string& read : {kGga, badChecksum, otherTalker, kGga, kAck, badFrame}) {
    port.QueueRead(read);
    bytes += read.size();
  }
  Passes(6);
  const LineHealth health = display.last().health;
  EXPECT_EQ(health.bytesRead, bytes);
  EXPECT_EQ(health.sentencesAccepted, 2u);
  EXPECT_EQ(health.checksumErrors, 1u);
  EXPECT_EQ(health.sentencesRejected, 1u);
  EXPECT_EQ(health.framesAccepted, 1u);
  EXPECT_EQ(health.framesRejected, 1u);
  EXPECT_EQ(health.lastValidSeconds, clock.nowSeconds());
  EXPECT_EQ(conversation->health().bytesRead, bytes);
}

// --- The queue -----------------------------------------------------------------------------------

Exchange Frames(std::initializer_list<std::string> frames, int delayMs = 0) {
  Exchange exchange;
  for (const std::string& frame : frames) exchange.frames.push_back(Bytes(frame));
  exchange.delayMs = delayMs;
  return exchange;
}

TEST_F(ConversationPass, QueuedFramesAreWrittenByThePassesInOrderAfterTheirDelay) {
  Start();
  std::vector<std::string> told;
  const auto tell = [&](const char* name) {
    return [&told, name](const ExchangeResult& r) {
      told.push_back(std::string(name) + (r.written ? " written" : " not written"));
    };
  };
  // Queued from another thread, as the window queues them.
  std::thread([&] {
    ASSERT_TRUE(conversation->Post(Frames({"a1", "a2"}), tell("a")));
    ASSERT_TRUE(conversation->Post(Frames({"b"}, 300), tell("b")));
    ASSERT_TRUE(conversation->Write(Bytes("c")));
  }).join();
  EXPECT_EQ(port.written(), "");  // nothing until a pass

  Passes(1);
  EXPECT_EQ(port.written(), "a1a2");  // b waits 300 ms after a went; c waits behind b
  EXPECT_EQ(told, std::vector<std::string>{"a written"});
  Passes(2);
  EXPECT_EQ(port.written(), "a1a2");
  Passes(1);
  EXPECT_EQ(port.written(), "a1a2bc");
  EXPECT_EQ(told, (std::vector<std::string>{"a written", "b written"}));
}

TEST_F(ConversationPass, NothingIsWrittenOrReadWhileTheLoaderHoldsThePort) {
  Start();
  IPort* lent = conversation->LendPort();
  ASSERT_NE(lent, nullptr);
  std::vector<WriteOutcome> outcomes;
  ASSERT_TRUE(conversation->Queue(Bytes(Ack(1)), 0, [&](WriteOutcome outcome, const std::string&) {
    outcomes.push_back(outcome);
  }));
  port.QueueRead(kGga);
  Passes(3);
  EXPECT_EQ(port.written(), "");
  EXPECT_TRUE(port.readSizes().empty());
  EXPECT_EQ(outcomes, std::vector<WriteOutcome>{WriteOutcome::Dropped});  // never written later

  lent->txData(reinterpret_cast<const uint8_t*>("Z"), 1);  // the loader's dialogue
  conversation->ReturnPort();
  ASSERT_TRUE(conversation->Write(Bytes("after")));
  Passes(1);
  EXPECT_EQ(port.written(), "Zafter");
  EXPECT_EQ(display.Count("nav nmea"), 1);
}

TEST_F(ConversationPass, AFailedWriteIsToldWithThePortsMessage) {
  Start();
  port.SetWriteFails(true);
  std::optional<ExchangeResult> result;
  ASSERT_TRUE(conversation->Post(Frames({Ack(1)}), [&](const ExchangeResult& r) { result = r; }));
  Passes(1);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->outcome, ExchangeOutcome::PortFailed);
  EXPECT_FALSE(result->written);
  EXPECT_EQ(result->error, "WriteFile Failed 1.");
  EXPECT_TRUE(conversation->active());  // the reading goes on
}

// --- Each outcome of send-and-wait, on the fake clock
// ---------------------------------------------

struct OutcomeCase {
  const char* what;
  ReplyExpectation awaited;
  std::vector<std::string> reads;  // one per pass from the write on; "" reads nothing, "!" fails
  ExchangeOutcome outcome;
  std::vector<ReplyKind> answers;
  int endsFromMs, endsByMs;  // when it ends, counted from the write
};

std::vector<std::string> StoreReadWithPauses() {
  std::vector<std::string> reads = {Ack(0x09), Ephemeris(3, 4)};
  for (uint8_t prn : {9, 20}) {
    reads.insert(reads.end(), 25, "");  // 2.5 s of silence: less than the time-out
    reads.push_back(Ephemeris(3, prn));
  }
  return reads;
}

using Kind = ReplyExpectation::Kind;
const OutcomeCase kOutcomes[] = {
    {"an ACK ends a command without reply",
     {0x01, Kind::Ack, 0},
     {kGga, Ack(0x01)},
     ExchangeOutcome::Answered,
     {ReplyKind::Ack},
     100,
     100},
    {"an ACK and the reply end a query",
     {0x05, Kind::Reply, 0x80},
     {Ack(0x05) + Frame(kClassReply, 0x80, std::vector<uint8_t>(22, 0))},
     ExchangeOutcome::Answered,
     {ReplyKind::Ack, ReplyKind::Revision},
     0,
     0},
    {"a store read ends with every announced satellite",
     {0x09, Kind::StoreRead, 0x83},
     StoreReadWithPauses(),
     ExchangeOutcome::Answered,
     {ReplyKind::Ack, ReplyKind::Ephemeris, ReplyKind::Ephemeris, ReplyKind::Ephemeris},
     5300,
     5300},
    {"a NACK refuses",
     {0x20, Kind::Ack, 0},
     {Nack(0x20)},
     ExchangeOutcome::Nack,
     {ReplyKind::Nack},
     0,
     0},
    {"answers to other commands do not count",
     {0x01, Kind::Ack, 0},
     {Ack(0x02), Nack(0x03)},
     ExchangeOutcome::NoAnswer,
     {},
     3000,
     3100},
    {"an ACK without its reply",
     {0x05, Kind::Reply, 0x80},
     {Ack(0x05)},
     ExchangeOutcome::NoAnswer,
     {ReplyKind::Ack},
     3000,
     3100},
    {"a store read that stops early",
     {0x09, Kind::StoreRead, 0x83},
     {Ephemeris(3, 4)},
     ExchangeOutcome::NoAnswer,
     {ReplyKind::Ephemeris},
     3000,
     3100},
    {"the port fails during the wait",
     {0x01, Kind::Ack, 0},
     {"", "!"},
     ExchangeOutcome::PortFailed,
     {},
     100,
     100},
};

TEST_F(ConversationPass, SendAndWaitEndsWithOneOutcome) {
  for (const OutcomeCase& c : kOutcomes) {
    SCOPED_TRACE(c.what);
    stores.ephemeris.Clear();  // as Read Ephemeris does before it is sent
    Start();
    Exchange exchange = Frames({"frame"});
    exchange.awaited = c.awaited;
    std::optional<ExchangeResult> result;
    int64_t endedMs = 0;
    ASSERT_TRUE(conversation->Post(exchange, [&](const ExchangeResult& r) {
      result = r;
      endedMs = clock.nowMs();
    }));
    for (const std::string& read : c.reads) {
      if (read == "!") {
        port.QueueFailure();
      } else if (read.empty()) {
        port.QueueEmptyRead();
      } else {
        port.QueueRead(read);
      }
    }
    const int64_t writtenMs = clock.nowMs() + 100;  // after the first pass's pause
    for (int pass = 0; pass < 100 && !result; ++pass) Passes(1);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->outcome, c.outcome);
    EXPECT_TRUE(result->written);
    std::vector<ReplyKind> kinds;
    for (const ReplyEvent& answer : result->answers) kinds.push_back(answer.kind);
    EXPECT_EQ(kinds, c.answers);
    EXPECT_GE(endedMs - writtenMs, c.endsFromMs);
    EXPECT_LE(endedMs - writtenMs, c.endsByMs);
    conversation.reset();
  }
}

// Each answer goes to one exchange, the oldest that waits for it: two commands sent one after
// the other need two ACKs.
TEST_F(ConversationPass, OneAnswerEndsOnlyTheOldestExchangeWaitingForIt) {
  Start();
  std::vector<int> answeredInOrder;
  for (int which : {1, 2}) {
    Exchange exchange = Frames({"frame"});
    exchange.awaited = ReplyExpectation{0x01, ReplyExpectation::Kind::Ack, 0};
    ASSERT_TRUE(conversation->Post(exchange, [&, which](const ExchangeResult& r) {
      if (r.outcome == ExchangeOutcome::Answered) answeredInOrder.push_back(which);
    }));
  }
  Passes(2);
  port.QueueRead(Ack(0x01));
  Passes(2);
  EXPECT_EQ(answeredInOrder, std::vector<int>{1});
  port.QueueRead(Ack(0x01));
  Passes(2);
  EXPECT_EQ(answeredInOrder, (std::vector<int>{1, 2}));
}

// --- The conversation's own thread --------------------------------------------------------------

// Runs jobs one after the other, like a window thread's event loop; RunBlocking is the hand-off.
class WindowThread {
 public:
  WindowThread() : thread_([this] { Loop(); }) {}
  ~WindowThread() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  void RunBlocking(const std::function<void()>& fn) {
    if (std::this_thread::get_id() == thread_.get_id()) return fn();
    std::promise<void> ran;
    Post([&] {
      fn();
      ran.set_value();
    });
    ran.get_future().wait();
  }
  void Post(std::function<void()> job) {
    {
      std::lock_guard lock(mutex_);
      jobs_.push_back(std::move(job));
    }
    wake_.notify_all();
  }

 private:
  void Loop() {
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [&] { return done_ || !jobs_.empty(); });
      if (jobs_.empty()) return;
      auto job = std::move(jobs_.front());
      jobs_.pop_front();
      lock.unlock();
      job();
      lock.lock();
    }
  }
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  bool done_ = false;
  std::thread thread_;
};

// While the thread is inside rxData, the window switches the conversation off (or lends the port
// to the loader): that call must not return before the read has returned, and no read may follow.
class ConversationThread : public ::testing::TestWithParam<bool> {};

TEST_P(ConversationThread, SwitchingOffWaitsForTheReadInProgress) {
  const bool lendPort = GetParam();
  test::FakeClock clock;
  test::ScriptedPort port;
  RecordingDisplay display;
  ReceiverStores stores;

  std::mutex mutex;
  std::condition_variable changed;
  bool inRead = false, readEnded = false, switchedOff = false, switchedOffBeforeReadEnded = false,
       readAfterSwitchOff = false;
  std::atomic<bool> releaseReader{false};
  std::unique_ptr<ReceiverConversation> conversation;

  port.SetReadHook([&] {
    std::unique_lock lock(mutex);
    if (switchedOff) readAfterSwitchOff = true;
    if (inRead) return;
    inRead = true;
    changed.notify_all();
    // Hold the reader here until the window has started switching the conversation off.
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!releaseReader && std::chrono::steady_clock::now() < deadline) {
      changed.wait_for(lock, 1ms);
    }
    switchedOffBeforeReadEnded = switchedOff;
    readEnded = true;
    changed.notify_all();
  });

  conversation = std::make_unique<ReceiverConversation>(clock, Inline, display, stores,
                                                        ReceiverConversation::Options{});
  conversation->AttachPort(std::make_unique<PortRef>(port));
  conversation->SetActive(true);
  {
    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, 20s, [&] { return inRead; }));
  }
  std::thread window([&] {
    if (lendPort) {
      releaseReader = true;  // the port lock is taken before LendPort may mark the port lent
      conversation->LendPort();
    } else {
      conversation->SetActive(false);  // stores the flag first, then waits
    }
    std::lock_guard lock(mutex);
    switchedOff = true;
  });
  if (!lendPort) {
    // The flag is stored before SetActive waits; the reader may go once it sees it.
    while (conversation->active()) std::this_thread::yield();
    releaseReader = true;
  }
  window.join();
  {
    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, 20s, [&] { return readEnded; }));
    EXPECT_FALSE(switchedOffBeforeReadEnded);
  }

  // Let the thread run a good number of further passes: none of them reads.
  const int sleeps = clock.sleeps();
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (clock.sleeps() < sleeps + 50 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::yield();
  }
  conversation.reset();
  std::lock_guard lock(mutex);
  EXPECT_FALSE(readAfterSwitchOff);
}

INSTANTIATE_TEST_SUITE_P(SetActiveOrLendPort, ConversationThread, ::testing::Bool());

// The terminal's wait: it sleeps until its answer (seen as it arrives), and a stop (Ctrl-C) ends
// a wait that nothing answers.
TEST(ConversationBlockingWait, EndsWithItsAnswerOrAtOnceWithAStop) {
  test::FakeClock clock;
  test::ScriptedPort port;
  RecordingDisplay display;
  ReceiverStores stores;
  port.SetReadHook([&] {
    if (port.written() == "frame" && port.pendingDeliveries() == 0) port.QueueRead(Ack(0x01));
  });
  ReceiverConversation conversation(clock, Inline, display, stores, {});
  conversation.AttachPort(std::make_unique<PortRef>(port));
  conversation.SetActive(true);

  Exchange exchange = Frames({"frame"});
  exchange.awaited = ReplyExpectation{0x01, ReplyExpectation::Kind::Ack, 0};
  exchange.timeoutMs = 1'000'000'000;  // only the answer or the stop can end these waits
  std::vector<std::thread::id> toldOn;
  const ExchangeResult answered = conversation.SendAndWait(
      exchange, {}, [&](const ReplyEvent&) { toldOn.push_back(std::this_thread::get_id()); });
  EXPECT_EQ(answered.outcome, ExchangeOutcome::Answered);
  EXPECT_EQ(toldOn, std::vector<std::thread::id>{std::this_thread::get_id()});

  std::stop_source stop;
  std::thread ctrlC([&] {
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (port.written() != "frameframe" && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::yield();
    }
    stop.request_stop();
  });
  exchange.awaited->commandId = 0x02;  // never answered
  const ExchangeResult stopped = conversation.SendAndWait(exchange, stop.get_token());
  ctrlC.join();
  EXPECT_EQ(stopped.outcome, ExchangeOutcome::Cancelled);
  EXPECT_TRUE(stopped.written);
}

// The window thread restarts monitoring, copies records, posts exchanges and switches the
// conversation off and on while the thread parses a steady stream and hands its values over. Run
// under ThreadSanitizer this must be silent; it must also end, showing that no hand-off
// deadlocks against the window's operations.
TEST(ConversationThreads, WindowOperationsRaceThePassesSafely) {
  test::FakeClock clock;
  test::ScriptedPort port;
  RecordingDisplay display;
  ReceiverStores stores;
  WindowThread window;
  std::unique_ptr<ReceiverConversation> conversation;

  int mark = 0;
  port.SetReadHook([&] {
    if (port.pendingDeliveries() == 0) {
      // Alternately, since TNmea's news would otherwise always be shown first.
      ++mark;
      port.QueueRead((mark % 2 ? kGga : ClockSolution(static_cast<uint8_t>(mark))) + kAck);
    }
  });
  conversation = std::make_unique<ReceiverConversation>(
      clock, [&](const std::function<void()>& fn) { window.RunBlocking(fn); }, display, stores,
      ReceiverConversation::Options{});
  window.RunBlocking([&] {
    conversation->AttachPort(std::make_unique<PortRef>(port));
    conversation->SetActive(true);
  });
  // One window operation after the other, while the thread keeps parsing and handing over.
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  int jobs = 0;
  std::atomic<int> completions{0};
  int32_t seen = 0;
  while ((display.Count("nav binary") < 100 || display.Count("ack 9") < 100 || completions < 10) &&
         std::chrono::steady_clock::now() < deadline) {
    const int i = jobs++;
    window.RunBlocking([&] {
      switch (i % 5) {
        case 0:
          conversation->RestartMonitoring();
          break;
        case 1:
          seen += conversation->channelCount();
          break;
        case 2:
          seen += conversation->DisplayCopy().hour;
          break;
        case 3:
          conversation->Post(Frames({"x"}), [&](const ExchangeResult&) { ++completions; });
          break;
        case 4:
          conversation->SetActive(false), conversation->SetActive(true);
          break;
      }
    });
  }
  EXPECT_GE(display.Count("nav binary"), 100);
  EXPECT_GE(display.Count("ack 9"), 100);
  window.RunBlocking([&] { conversation->SetActive(false); });
  conversation.reset();
  EXPECT_GT(seen, 0);
  EXPECT_GE(completions, 10);
}

}  // namespace
}  // namespace vetra
