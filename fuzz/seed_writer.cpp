// Writes the seed corpora of the fuzz targets into CORPUS/<target without "fuzz_">/: the first
// lines of every real capture, and what the virtual receiver sends: NMEA epochs, binary epochs of
// both chips, query replies with ACK and NACK, a trace recording read back, the boot monitor's
// dialogue, the running firmware's loading replies, and those mixed. Each seed starts with the
// bytes its target reads as its choices (piece size and the like). The output is the same on every
// run (the virtual receiver's sky and noise repeat for its seed), so a regenerated corpus shows no
// difference unless the receiver's output changed.
//
//   build-fuzz/bin/seed_writer tests/data/nmea-real fuzz/corpus
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "link/frame.h"
#include "sim/receiver_module.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using vetra::sim::ReceiverModule;
using vetra::sim::SimOptions;

constexpr int64_t kStartUtcMs = 1710419719400;  // 2024-03-14 12:35:19.4 UTC
constexpr size_t kCapturePiece = 1536;          // bytes of a capture's first lines

// Runs a module over made-up time as if the wire took every byte at once.
class Driver {
 public:
  explicit Driver(const SimOptions& options) : module_(options, kStartUtcMs) {}

  Bytes RunFor(double seconds, double stepS = 0.05) {
    Bytes out;
    const double until = nowS_ + seconds;
    for (; nowS_ < until; nowS_ += stepS) {
      module_.Advance(nowS_);
      for (;;) {
        if (const int baud = module_.output().TakeBaudChange()) module_.ApplyBaudChange(baud);
        if (module_.output().Take(1 << 20, out) == 0 && module_.output().empty()) break;
      }
    }
    return out;
  }
  void Send(const Bytes& bytes) { module_.Receive(bytes, nowS_); }

 private:
  ReceiverModule module_;
  double nowS_ = 0;
};

Bytes Command(uint8_t id, const Bytes& payload) {
  Bytes frame(payload.size() + vetra::kFrameOverhead);
  frame.resize(vetra::BuildFrame(vetra::kClassCommand, id, payload, frame));
  return frame;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes Text(std::string_view text) { return Bytes(text.begin(), text.end()); }

// The first bytes of a stream, cut after the last LF within `limit` (or at limit).
Bytes Head(const Bytes& bytes, size_t limit) {
  if (bytes.size() <= limit) return bytes;
  const auto lf = std::find(std::make_reverse_iterator(bytes.begin() + limit), bytes.rend(), '\n');
  const size_t end = lf == bytes.rend() ? limit : static_cast<size_t>(bytes.rend() - lf);
  return Bytes(bytes.begin(), bytes.begin() + end);
}

// Every second line of the other stream between the lines of one: NMEA and binary interleaved.
Bytes Interleave(const Bytes& a, const Bytes& b) {
  Bytes out;
  size_t i = 0, j = 0;
  auto line = [&out](const Bytes& s, size_t& at) {
    const auto lf = std::find(s.begin() + at, s.end(), '\n');
    const size_t end = lf == s.end() ? s.size() : static_cast<size_t>(lf - s.begin()) + 1;
    out.insert(out.end(), s.begin() + at, s.begin() + end);
    at = end;
  };
  while (i < a.size() || j < b.size()) {
    if (i < a.size()) line(a, i);
    if (j < b.size()) line(b, j);
  }
  return out;
}

// The trace read with a third '%' before its first record (which loses it) and a payload byte
// of its second record changed (a wrong checksum).
Bytes Damaged(Bytes stream) {
  const Bytes record = {vetra::kFrameMarker, vetra::kFrameMarker, vetra::kClassReply, 0x88};
  const auto first = std::search(stream.begin(), stream.end(), record.begin(), record.end());
  if (first == stream.end()) return stream;
  const auto second = std::search(first + 1, stream.end(), record.begin(), record.end());
  if (second != stream.end() && stream.end() - second > 10) second[10] ^= 0x40;
  stream.insert(first, vetra::kFrameMarker);
  return stream;
}

struct Streams {
  Bytes nmeaEpochs;       // power-on: revision sentence, then NMEA epochs with a fix
  Bytes binaryK700;       // binary epochs, 12 channels
  Bytes binaryK900;       // binary epochs, 16 channels, speed in m/s
  Bytes replies;          // query replies, ACKs and a NACK between sentences
  Bytes traceRead;        // a trace recording read back, status replies around it
  Bytes bootMonitor;      // the boot monitor's dialogue, then the new firmware's start
  Bytes firmwareLoading;  // the running firmware's loading replies
};

Streams MakeStreams() {
  Streams s;
  {
    SimOptions options;
    options.firstFixSeconds = 1;
    Driver d(options);
    s.nmeaEpochs = d.RunFor(4);
  }
  {
    SimOptions options;
    options.firstFixSeconds = 0;
    options.binaryOutput = true;
    Driver d(options);
    s.binaryK700 = d.RunFor(3);
    options.chip = vetra::sim::Chip::K900;
    options.binarySpeedInMps = true;
    Driver d16(options);
    s.binaryK900 = d16.RunFor(2);
  }
  {
    Driver d(SimOptions{});
    d.RunFor(1.2);
    d.Send(Command(0x05, {1, 1}));
    d.Send(Command(0x06, {0, 0, 0, 0}));
    d.Send(Command(0x07, {2}));
    d.Send(Command(0x0E, {0}));
    d.Send(Command(0x16, Bytes(34, 0)));
    d.Send(Command(0x1D, {7}));  // an action the receiver refuses: NACK
    d.Send(Command(0x1F, {4, 0, 0, 0, 0, 0, 0, 0}));
    s.replies = d.RunFor(1.1);
  }
  {
    SimOptions options;
    options.firstFixSeconds = 0;
    Driver d(options);
    d.Send(Command(0x1D, {1}));  // start logging
    d.RunFor(12);
    d.Send(Command(0x1D, {0}));
    d.Send(Command(0x1F, {2, 0, 0, 0, 0, 0, 0, 0}));
    d.Send(Command(0x1E, {1, 5, 0}));  // read back at the fastest rate
    s.traceRead = d.RunFor(2);
  }
  {
    SimOptions options;
    options.bootMonitor = true;
    options.baud = 115200;
    Driver d(options);
    d.Send(Bytes(300, 0x5A));  // the monitor program
    Bytes out = d.RunFor(0.5);
    d.Send(Text("E"));
    const Bytes erase = d.RunFor(2.5);
    Bytes image(2048);
    uint32_t noise = 12345;
    for (uint8_t& b : image) b = static_cast<uint8_t>((noise = noise * 1103515245u + 12345u) >> 16);
    d.Send(image);
    const Bytes done = d.RunFor(0.5);
    d.Send(Text("Z"));
    s.bootMonitor = Cat({out, erase, done, d.RunFor(2)});
  }
  {
    Driver d(SimOptions{});
    d.RunFor(1.0);
    d.Send(Command(0x72, {0x06, 0x00, 0x20, 32, 0}));
    Bytes out = d.RunFor(0.5);
    d.Send(Command(0x73, {}));
    const Bytes erase = d.RunFor(2.0);
    d.Send(Bytes(16384, 0xFF));
    s.firmwareLoading = Cat({out, erase, d.RunFor(0.5)});
  }
  return s;
}

class CorpusWriter {
 public:
  explicit CorpusWriter(fs::path root) : root_(std::move(root)) {}

  // Writes prefix + stream as target/name.
  void Seed(const std::string& target, const std::string& name, const Bytes& prefix,
            const Bytes& stream) {
    const fs::path folder = root_ / target;
    fs::create_directories(folder);
    std::ofstream out(folder / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(prefix.data()),
              static_cast<std::streamsize>(prefix.size()));
    out.write(reinterpret_cast<const char*>(stream.data()),
              static_cast<std::streamsize>(stream.size()));
    ++files_;
    bytes_ += prefix.size() + stream.size();
  }

  void Report() const { std::printf("%d seeds, %zu bytes\n", files_, bytes_); }

 private:
  fs::path root_;
  int files_ = 0;
  size_t bytes_ = 0;
};

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: seed_writer CAPTURE_FOLDER CORPUS_FOLDER\n");
    return 2;
  }
  const fs::path captures = argv[1];
  CorpusWriter w{fs::path(argv[2])};

  // The real captures: NMEA of many receivers (other talkers, LF-only lines, binary between).
  std::vector<fs::path> logs;
  for (const auto& entry : fs::directory_iterator(captures)) {
    if (entry.path().extension() == ".log") logs.push_back(entry.path());
  }
  std::sort(logs.begin(), logs.end());
  for (size_t i = 0; i < logs.size(); ++i) {
    const std::string name = "capture-" + logs[i].stem().string();
    const Bytes piece = Head(ReadFile(logs[i]), kCapturePiece);
    const auto choice = static_cast<uint8_t>(i * 37);  // piece sizes and cuts vary by capture
    w.Seed("nmea", name, {choice, static_cast<uint8_t>(i)}, piece);
    w.Seed("epoch_stream", name, {choice, static_cast<uint8_t>(i)}, piece);
    w.Seed("decode_path", name, {static_cast<uint8_t>(99 + i), choice}, piece);
    if (i % 4 == 0) {
      w.Seed("binary", name, {choice}, Head(piece, 512));
      w.Seed("trace_scanner", name, {choice, static_cast<uint8_t>(i)}, Head(piece, 512));
      w.Seed("monitor_reply", name, {choice, static_cast<uint8_t>(i)}, Head(piece, 512));
    }
  }

  // The virtual receiver.
  const Streams s = MakeStreams();
  const Bytes nmea = Head(s.nmeaEpochs, 3072);
  const Bytes binary = Head(s.binaryK700, 3072);
  const Bytes mixed = Head(Interleave(s.nmeaEpochs, s.binaryK900), 3072);
  const Bytes replies = Head(s.replies, 3072);
  const Bytes trace = Head(s.traceRead, 3072);
  const Bytes boot = Head(s.bootMonitor, 2048);
  const Bytes loading = Head(s.firmwareLoading, 2048);

  w.Seed("nmea", "sim-epochs", {0, 0}, nmea);
  w.Seed("epoch_stream", "sim-epochs", {0, 0}, nmea);
  w.Seed("nmea", "sim-epochs-in-pieces", {9, 40}, nmea);
  w.Seed("epoch_stream", "sim-epochs-in-pieces", {9, 40}, nmea);
  w.Seed("nmea", "sim-mixed", {0, 3}, mixed);
  w.Seed("epoch_stream", "sim-mixed", {0, 3}, mixed);
  w.Seed("nmea", "sim-firmware-loading", {0, 0}, loading);
  w.Seed("epoch_stream", "sim-firmware-loading", {0, 0}, loading);
  w.Seed("nmea", "sim-boot-monitor", {17, 0}, boot);
  w.Seed("epoch_stream", "sim-boot-monitor", {17, 0}, boot);

  w.Seed("binary", "sim-k700", {16}, binary);
  w.Seed("binary", "sim-k900", {5}, Head(s.binaryK900, 3072));
  w.Seed("binary", "sim-mixed", {7}, mixed);
  w.Seed("binary", "sim-replies", {3}, replies);
  w.Seed("binary", "sim-trace-read", {11}, trace);

  w.Seed("decode_path", "sim-epochs", {255, 0}, nmea);
  w.Seed("decode_path", "sim-mixed", {100, 13}, mixed);
  w.Seed("decode_path", "sim-replies", {63, 1}, replies);
  w.Seed("decode_path", "sim-trace-read", {255, 64}, trace);
  w.Seed("decode_path", "sim-firmware-loading", {31, 0}, loading);

  w.Seed("trace_scanner", "sim-trace-read", {0, 0}, trace);
  w.Seed("trace_scanner", "sim-trace-read-in-blocks", {24, 1}, trace);
  w.Seed("trace_scanner", "sim-trace-read-gga", {200, 2}, trace);
  w.Seed("trace_scanner", "sim-trace-read-gpx", {13, 4}, trace);
  w.Seed("trace_scanner", "sim-mixed", {0, 5}, Cat({mixed, trace}));
  w.Seed("trace_scanner", "sim-trace-read-damaged", {0, 1}, Damaged(trace));

  w.Seed("monitor_reply", "sim-boot-monitor", {0, 0}, boot);
  w.Seed("monitor_reply", "sim-boot-monitor-in-reads", {7, 6}, boot);
  w.Seed("monitor_reply", "replies-and-noise", {3, 7},
         Text("junk<MPD>>x<ERASE><DONE1A2b><DONE12><DONEZZZZ><unknown>still open>"
              "<0123456789ABCDEFGHIJKL><MPD"));
  w.Report();
  return 0;
}
