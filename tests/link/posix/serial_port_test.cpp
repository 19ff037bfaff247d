// TSerialPort against a pseudo-terminal pair: the test holds the master side and plays the
// receiver; the port opens the slave side as it would open a USB serial device.
#include "link/serial_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace vetra {
namespace {

struct Shown {
  std::string text, title;
};

class RecordingMessages final : public IMessages {
 public:
  void Show(const std::string& text, const std::string& title, Kind) override {
    shown.push_back({text, title});
  }
  std::vector<Shown> shown;
};

class PtyPair {
 public:
  PtyPair() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) {
      slavePath_ = ptsname(master_);
    }
  }
  ~PtyPair() { CloseMaster(); }
  int master() const { return master_; }
  const std::string& slavePath() const { return slavePath_; }
  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }
  void Send(const std::string& bytes) const {
    ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // The slave's line settings, as seen through the master.
  termios SlaveSettings() const {
    termios t{};
    EXPECT_EQ(tcgetattr(master_, &t), 0);
    return t;
  }
  // Reads from the master until count bytes came or the deadline passed.
  std::string Receive(size_t count) const {
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, 100) > 0 && (p.revents & POLLIN)) {
        char buffer[4096];
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) got.append(buffer, static_cast<size_t>(n));
      }
    }
    return got;
  }

 private:
  int master_ = -1;
  std::string slavePath_;
};

// Polls rxData until `count` bytes have been read or the deadline passed; records each call's
// result so tests can see how the bytes were sized.
std::vector<int> ReadUntil(TSerialPort& port, int maxPerCall, size_t count, std::string& got) {
  std::vector<int> results;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  uint8_t buffer[4096];
  while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
    const int n = port.rxData(buffer, maxPerCall);
    if (n < 0) break;
    if (n > 0) {
      results.push_back(n);
      got.append(reinterpret_cast<char*>(buffer), static_cast<size_t>(n));
    } else {
      std::this_thread::yield();
    }
  }
  return results;
}

class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(pty.slavePath().empty()); }
  TSerialPort MakePort(int baud = 9600, bool host = false) {
    return TSerialPort(host, pty.slavePath(), baud, 8, kOneStopBit, kParityNone, 4096, 4096,
                       messages);
  }
  PtyPair pty;
  RecordingMessages messages;
};

TEST_F(SerialPortTest, OpensRawAtTheGivenRateAndPassesBytesBothWays) {
  TSerialPort port = MakePort(9600);
  ASSERT_TRUE(port.Open());
  EXPECT_TRUE(messages.shown.empty());
  const termios t = pty.SlaveSettings();
  EXPECT_EQ(cfgetispeed(&t), B9600);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_NE(t.c_cflag & CLOCAL, 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL), 0u);

  // Every byte value passes unchanged, CR, LF and zero included.
  std::string frame = "%%\xF1\x01\r\n";
  frame.push_back('\0');
  frame += "\x11\x13\xFF";
  EXPECT_EQ(
      port.txData(reinterpret_cast<const uint8_t*>(frame.data()), static_cast<int>(frame.size())),
      static_cast<int>(frame.size()));
  EXPECT_EQ(pty.Receive(frame.size()), frame);

  pty.Send(frame);
  std::string got;
  ReadUntil(port, 4096, frame.size(), got);
  EXPECT_EQ(got, frame);
}

TEST_F(SerialPortTest, ReadIsSizedToWhatIsQueuedAndToTheMaximum) {
  TSerialPort port = MakePort();
  ASSERT_TRUE(port.Open());
  uint8_t buffer[64];
  EXPECT_EQ(port.rxData(buffer, sizeof buffer), 0);  // nothing queued: at once

  const std::string sentence = "$GPGGA,1*00\r\n";  // 13 bytes
  pty.Send(sentence);
  std::string got;
  const std::vector<int> sizes = ReadUntil(port, 5, sentence.size(), got);
  EXPECT_EQ(got, sentence);
  for (int n : sizes) EXPECT_LE(n, 5);

  pty.Send("abc");
  got.clear();
  ReadUntil(port, 2047, 3, got);
  EXPECT_EQ(got, "abc");
  EXPECT_EQ(port.rxData(buffer, sizeof buffer), 0);
}

TEST_F(SerialPortTest, SecondOpenOfTheSameDeviceIsRefusedSilently) {
  TSerialPort first = MakePort();
  TSerialPort second = MakePort();
  ASSERT_TRUE(first.Open());
  EXPECT_FALSE(second.Open());
  EXPECT_FALSE(second.isOpen());
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(second.openFailure(), TSerialPort::OpenFailure::InUse);  // for the caller to say
  EXPECT_EQ(second.openReason(), std::strerror(EBUSY));
  // Once the first lets go, the device can be had again.
  EXPECT_TRUE(first.Close());
  EXPECT_TRUE(second.Open());
}

TEST_F(SerialPortTest, ResetWithRateZeroKeepsTheRateAndAppliesTheRest) {
  TSerialPort port = MakePort(4800);
  ASSERT_TRUE(port.Open());
  ASSERT_TRUE(port.Reset(0, 7, kTwoStopBits, kParityEven));
  termios t = pty.SlaveSettings();
  EXPECT_EQ(cfgetospeed(&t), B4800);
  EXPECT_EQ(port.baudRate(), 4800);
  EXPECT_EQ(port.byteSize(), 7);
  EXPECT_EQ(port.parity(), kParityEven);
  EXPECT_NE(t.c_cflag & CSTOPB, 0u);  // (a pseudo-terminal keeps 8 bits without parity)

  ASSERT_TRUE(port.Reset(115200, 8, kOneStopBit, kParityNone));
  t = pty.SlaveSettings();
  EXPECT_EQ(cfgetospeed(&t), B115200);
  EXPECT_EQ(t.c_cflag & CSTOPB, 0u);
  EXPECT_EQ(port.parity(), kParityNone);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SerialPortTest, ResetPurgesWhatWasQueued) {
  TSerialPort port = MakePort();
  ASSERT_TRUE(port.Open());
  pty.Send("stale bytes");  // one write: the bytes reach the queue together
  std::string got;
  ReadUntil(port, 1, 1, got);  // the first has arrived, so the other ten are queued
  ASSERT_EQ(got, "s");
  ASSERT_TRUE(port.Reset(0, 8, kOneStopBit, kParityNone));
  pty.Send("fresh");
  got.clear();
  ReadUntil(port, 4096, 5, got);
  EXPECT_EQ(got, "fresh");
}

TEST_F(SerialPortTest, HostModeForcesEvenParityThroughEveryReset) {
  TSerialPort port = MakePort(4800, /*host=*/true);
  EXPECT_EQ(port.parity(), kParityEven);
  ASSERT_TRUE(port.Open());
  ASSERT_TRUE(port.Reset(0, 8, kOneStopBit, kParityNone));
  EXPECT_EQ(port.parity(), kParityEven);
  ASSERT_TRUE(port.Reset(0, 8, kOneStopBit, kParityOdd));
  EXPECT_EQ(port.parity(), kParityEven);
  // Opened again on a line already raw at this rate: only the framing differs, which the
  // pseudo-terminal keeps as it is; the port still opens.
  ASSERT_TRUE(port.Close());
  ASSERT_TRUE(port.Open());
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SerialPortTest, FarEndClosedIsAReadFailureAndAWriteError) {
  TSerialPort port = MakePort();
  ASSERT_TRUE(port.Open());
  pty.Send("last");
  std::string got;
  ReadUntil(port, 4096, 4, got);
  EXPECT_EQ(got, "last");  // what came before the hang-up is not lost
  pty.CloseMaster();
  uint8_t buffer[16];
  EXPECT_EQ(port.rxData(buffer, sizeof buffer), -1);
  const uint8_t u = 'U';
  EXPECT_THROW(port.txData(&u, 1), PortWriteError);
}

TEST(SerialPort, MissingDeviceIsFalseWithoutAMessage) {
  RecordingMessages messages;
  TSerialPort port(false, "/dev/vetra-no-such-device", 4800, 8, 0, 0, 4096, 4096, messages);
  EXPECT_FALSE(port.Open());
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(port.openFailure(), TSerialPort::OpenFailure::Missing);
  EXPECT_EQ(port.openReason(), std::strerror(ENOENT));
  uint8_t buffer[4];
  EXPECT_EQ(port.rxData(buffer, 4), -1);
  EXPECT_TRUE(port.Close());  // never opened
}

TEST(SerialPort, ConfigurationFailuresShowTheirMessage) {
  struct Case {
    std::string path;
    int baud;
    std::string text;
    std::string reason;  // why Open failed, in words a terminal shows
  };
  PtyPair pty;
  ASSERT_FALSE(pty.slavePath().empty());
  const std::vector<Case> cases{
      {"/dev/null", 4800, "Setup: SetupComm", "not a serial device"},  // not a terminal
      {pty.slavePath(), 12345, "Setup: SetCommState 22",  // a rate the line cannot take
       "the device does not take the line settings (Invalid argument)"},
  };
  for (const auto& c : cases) {
    RecordingMessages messages;
    TSerialPort port(false, c.path, c.baud, 8, 0, 0, 4096, 4096, messages);
    EXPECT_FALSE(port.Open()) << c.path;
    ASSERT_EQ(messages.shown.size(), 1u) << c.path;
    EXPECT_EQ(messages.shown[0].text, c.text);
    EXPECT_EQ(messages.shown[0].title, "Error");
    EXPECT_EQ(port.openReason(), c.reason);
    EXPECT_TRUE(port.Close());
  }
}

TEST(SerialPort, ResetOfAClosedPortReportsTheReadOfTheSettings) {
  RecordingMessages messages;
  TSerialPort port(false, "/dev/vetra-no-such-device", 4800, 8, 0, 0, 4096, 4096, messages);
  EXPECT_FALSE(port.Reset(9600, 8, 0, 0));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Reset: GetCommState 9");  // EBADF
}

TEST_F(SerialPortTest, LongWriteArrivesWholeAndInOrder) {
  TSerialPort port = MakePort(115200);
  ASSERT_TRUE(port.Open());
  std::string block(64 * 1024, '\0');
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 7 + i / 251);
  std::string received;
  std::thread reader([&] { received = pty.Receive(block.size()); });
  EXPECT_EQ(
      port.txData(reinterpret_cast<const uint8_t*>(block.data()), static_cast<int>(block.size())),
      static_cast<int>(block.size()));
  reader.join();
  EXPECT_EQ(received, block);
}

}  // namespace
}  // namespace vetra
