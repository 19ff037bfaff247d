#include "compare/reference_receiver.h"

#include <asio.hpp>
#include <charconv>
#include <chrono>

#include "epoch/epoch_stream.h"
#include "link/serial_port.h"
#include "util/thread_name.h"

namespace vetra {

namespace {

constexpr int kReadWaitMs = 50;
constexpr int64_t kHealthEveryMs = 1000;
constexpr char kGpsdWatch[] = "?WATCH={\"enable\":true,\"nmea\":true}\n";

// Where the reader's bytes come from. Read returns the count (0: none within about 50 ms) or -1
// when the line is gone, with the reason in error.
class ByteLine {
 public:
  virtual ~ByteLine() = default;
  virtual bool Open(std::stop_token stop, std::string& error) = 0;
  virtual int Read(uint8_t* buffer, int size, std::string& error) = 0;
};

// Configuration failures of the port come back as its reason instead of a message box.
class KeptMessages final : public IMessages {
 public:
  void Show(const std::string& text, const std::string&, Kind) override { last = text; }
  std::string last;
};

class SerialLine final : public ByteLine {
 public:
  explicit SerialLine(const ReferenceSource& source)
      : name_(source.device),
        port_(false, source.device, source.baud, 8, kOneStopBit, kParityNone, 4096, 4096,
              messages_) {}
  bool Open(std::stop_token, std::string& error) override {
    if (port_.Open()) return true;
    error = "cannot open " + name_ + ": " +
            (port_.openReason().empty() ? messages_.last : port_.openReason());
    return false;
  }
  // Never a write: the reference is only listened to.
  int Read(uint8_t* buffer, int size, std::string& error) override {
    const int count = port_.rxData(buffer, size);
    if (count < 0) error = name_ + " failed: " + port_.failureReason();
    return count;
  }

 private:
  std::string name_;
  KeptMessages messages_;
  TSerialPort port_;
};

class TcpLine final : public ByteLine {
 public:
  explicit TcpLine(const ReferenceSource& source) : source_(source), socket_(io_) {}
  bool Open(std::stop_token stop, std::string& error) override {
    asio::ip::tcp::resolver resolver(io_);
    asio::error_code code;
    bool done = false, unknownHost = false;
    resolver.async_resolve(source_.host, std::to_string(source_.port),
                           [&](const asio::error_code& c, const auto& endpoints) {
                             if (c) {
                               code = c;
                               unknownHost = done = true;
                               return;
                             }
                             asio::async_connect(socket_, endpoints,
                                                 [&](const asio::error_code& c2, const auto&) {
                                                   code = c2;
                                                   done = true;
                                                 });
                           });
    // In steps, so that Stop need not wait for a name server or a host that does not answer.
    for (int waitedMs = 0;
         !done && !stop.stop_requested() && waitedMs < ReferenceReceiver::kConnectTimeoutMs;
         waitedMs += kReadWaitMs) {
      io_.run_for(std::chrono::milliseconds(kReadWaitMs));
    }
    if (!done) {
      resolver.cancel();
      socket_.close();
      error = source_.name() + " does not answer";
      return false;
    }
    if (code) {
      error = source_.name() + (unknownHost ? ": " : " does not answer: ") + code.message();
      return false;
    }
    return true;
  }
  int Read(uint8_t* buffer, int size, std::string& error) override {
    if (!pending_) {
      pending_ = true;
      socket_.async_read_some(asio::buffer(buffer_),
                              [this](const asio::error_code& c, size_t count) {
                                pending_ = false;
                                code_ = c;
                                received_ = count;
                              });
    }
    io_.restart();
    io_.run_for(std::chrono::milliseconds(kReadWaitMs));
    if (pending_) return 0;
    if (code_) {
      error = code_ == asio::error::eof ? source_.name() + " closed the connection"
                                        : source_.name() + ": " + code_.message();
      return -1;
    }
    const int count = static_cast<int>(std::min<size_t>(received_, static_cast<size_t>(size)));
    std::copy_n(buffer_.begin(), count, buffer);
    if (!sawFirstByte_ && count > 0) AskGpsdToWatch(buffer[0]);
    return count;
  }

 private:
  // A gpsd server greets with its VERSION object; an NMEA stream starts with sentences.
  void AskGpsdToWatch(uint8_t first) {
    if (first == ' ' || first == '\r' || first == '\n') return;
    sawFirstByte_ = true;
    if (first != '{') return;
    asio::error_code ignored;
    asio::write(socket_, asio::buffer(kGpsdWatch, sizeof kGpsdWatch - 1), ignored);
  }

  ReferenceSource source_;
  asio::io_context io_;
  asio::ip::tcp::socket socket_;
  std::array<uint8_t, 4096> buffer_{};
  bool pending_ = false;
  asio::error_code code_;
  size_t received_ = 0;
  bool sawFirstByte_ = false;
};

LineHealth HealthOf(const EpochCounts& counts, const LineHealth& before) {
  LineHealth h = before;
  h.bytesRead = counts.bytes;
  h.sentencesAccepted = counts.sentences;
  h.checksumErrors = counts.checksumErrors;
  h.sentencesRejected = counts.malformed;
  h.framesAccepted = counts.binaryFrames;
  h.framesRejected = counts.binaryChecksumErrors;
  return h;
}

}  // namespace

std::string ReferenceSource::name() const {
  if (!tcp()) return device;
  const bool v6 = host.find(':') != std::string::npos;
  return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::optional<ReferenceSource> ParseReferenceSource(std::string_view text, int baud,
                                                    std::string& error) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.empty()) {
    error = "Give the reference receiver as a serial port or as host:port";
    return std::nullopt;
  }
  ReferenceSource source;
  source.baud = baud;
  const size_t colon = text.rfind(':');
  // A device path may hold a colon; a TCP source is a host without slashes and a port number.
  if (colon == std::string_view::npos || text.front() == '/' ||
      text.find('\\') != std::string_view::npos) {
    source.device = std::string(text);
    return source;
  }
  std::string_view host = text.substr(0, colon);
  const std::string_view portText = text.substr(colon + 1);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    host = host.substr(1, host.size() - 2);
  }
  unsigned port = 0;
  const auto [end, ec] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
  if (host.empty() || ec != std::errc() || end != portText.data() + portText.size() || port == 0 ||
      port > 65535) {
    error = "'" + std::string(text) + "' is not host:port (a port from 1 to 65535)";
    return std::nullopt;
  }
  source.host = std::string(host);
  source.port = static_cast<uint16_t>(port);
  return source;
}

ReferenceReceiver::ReferenceReceiver(ReferenceSource source, Sink sink, IClock& clock)
    : source_(std::move(source)), sink_(std::move(sink)), clock_(clock) {}

ReferenceReceiver::~ReferenceReceiver() { Stop(); }

void ReferenceReceiver::Start() {
  if (thread_.joinable()) return;
  thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
}

void ReferenceReceiver::Stop() {
  if (!thread_.joinable()) return;
  thread_.request_stop();
  thread_.join();
}

void ReferenceReceiver::Run(std::stop_token stop) {
  NameThisThread("vetra-reference");
  std::unique_ptr<ByteLine> line;
  if (source_.tcp()) {
    line = std::make_unique<TcpLine>(source_);
  } else {
    line = std::make_unique<SerialLine>(source_);
  }
  ReferenceUpdate update;
  if (!line->Open(stop, update.failure)) {
    update.ended = true;
    sink_(std::move(update));
    return;
  }
  EpochStream stream;
  LineHealth health;
  int64_t lastSentMs = clock_.nowMs();
  std::array<uint8_t, 4096> buffer{};
  while (!stop.stop_requested()) {
    const int count = line->Read(buffer.data(), static_cast<int>(buffer.size()), update.failure);
    const int64_t nowMs = clock_.nowMs();
    if (count < 0) {
      stream.Finish(update.epochs);
      update.ended = true;
    } else if (count > 0) {
      const uint64_t validBefore = stream.counts().sentences + stream.counts().binaryFrames;
      stream.Feed(std::span<const uint8_t>(buffer.data(), static_cast<size_t>(count)),
                  update.epochs);
      health.lastByteMs = nowMs;
      if (stream.counts().sentences + stream.counts().binaryFrames > validBefore) {
        health.lastValidMs = nowMs;
        health.lastValidSeconds = clock_.nowSeconds();
      }
    } else {
      stream.Idle(nowMs, update.epochs);
    }
    health = HealthOf(stream.counts(), health);
    if (update.ended || !update.epochs.empty() || nowMs - lastSentMs >= kHealthEveryMs) {
      update.health = health;
      lastSentMs = nowMs;
      const bool ended = update.ended;
      sink_(std::exchange(update, {}));
      if (ended) return;
    }
  }
}

}  // namespace vetra
