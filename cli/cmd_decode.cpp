// vetra decode [FILE|-]... [--run-bytes N] [--brief]
// Plays raw receive logs through the monitoring task's split-and-parse path and prints one JSON
// object per echoed line: the module's monitoring record, which keeps the module's own rules (GP
// talker, CR LF), so a log of another receiver ($GN...) gives records without a fix. With --brief
// it reads the logs as epochs of any receiver instead (epoch/epoch_stream.h) and prints one plain
// line per epoch (present/decode_format.h). Several files are decoded one after the other, each
// from a fresh start; with --brief each begins with "# FILE".
// Exit status: 0; 2 when a file cannot be read (nothing is decoded then).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli/command_registry.h"
#include "cli/standard_output.h"
#include "epoch/epoch_stream.h"
#include "present/decode_format.h"
#include "present/decode_stream.h"
#include "util/open_file.h"

namespace vetra::cli {
namespace {

struct DecodeArgs {
  std::vector<std::string> files;
  int runBytes = DecodeStream::kDefaultRunBytes;
  bool brief = false;
};

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f != stdin) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

bool WriteOut(std::string_view text) {
  return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
}

int Decode(const DecodeArgs& args) {
  std::vector<std::string> names = args.files;
  if (names.empty()) names.push_back("-");

  // Every file is opened before anything is decoded, so a typo costs no half-finished output.
  std::vector<FilePtr> files;
  for (const std::string& name : names) {
    std::FILE* f = name == "-" ? stdin : vetra::OpenFile(name, "rb");
    if (f == nullptr) {
      std::fprintf(stderr, "vetra decode: cannot read '%s': %s\n", name.c_str(),
                   std::strerror(errno));
      return 2;
    }
    files.emplace_back(f);
  }

  bool writeFailed = false;
  std::vector<uint8_t> buffer(1 << 20);
  for (size_t i = 0; i < files.size(); ++i) {
    if (args.brief && files.size() > 1) writeFailed |= !WriteOut("# " + names[i] + "\n");
    const auto write = [&writeFailed](std::string_view text) { writeFailed |= !WriteOut(text); };
    DecodeStream stream(DecodeStream::Format::Json, args.runBytes, write);
    EpochStream epochs;
    BriefLineWriter brief;
    std::vector<Epoch> closed;
    std::string lines;
    const auto writeEpochs = [&] {
      for (const Epoch& epoch : closed) brief.Append(lines, epoch);
      closed.clear();
      if (!lines.empty()) write(lines);
      lines.clear();
    };
    size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), files[i].get())) > 0) {
      if (args.brief) {
        epochs.Feed(std::span<const uint8_t>(buffer.data(), got), closed);
        writeEpochs();
      } else {
        stream.Feed(buffer.data(), got);
      }
    }
    if (std::ferror(files[i].get())) {
      std::fprintf(stderr, "vetra decode: error reading '%s': %s\n", names[i].c_str(),
                   std::strerror(errno));
      return 2;
    }
    if (args.brief) {
      epochs.Finish(closed);
      writeEpochs();
    } else {
      stream.Finish();
    }
  }
  if (!StandardOutputWorks() || writeFailed) return StandardOutputFailed();
  return 0;
}

CommandRegistration registration{
    "decode",
    "Decode raw receive logs (NMEA and binary frames) as the monitoring task does; a $GN log gives "
    "brief lines but JSON records without a fix",
    [](CLI::App& sub) -> std::function<int()> {
      auto args = std::make_shared<DecodeArgs>();
      sub.add_option("files", args->files, "Raw receive logs; '-' or none reads standard input");
      sub.add_option("--run-bytes", args->runBytes,
                     "Bytes per simulated 100 ms pass (default 1024)")
          ->check(CLI::Range(1, 1 << 24));
      sub.add_flag("--brief", args->brief,
                   "One plain line per epoch, read as any receiver's NMEA ($GN, LF-only ...) "
                   "instead of the module's JSON records");
      return [args] { return Decode(*args); };
    }};

}  // namespace
}  // namespace vetra::cli
