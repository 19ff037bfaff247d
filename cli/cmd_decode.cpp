// vetra decode [FILE|-]... [--run-bytes N] [--brief]
// Plays raw receive logs through the monitoring task's split-and-parse path and prints one JSON
// object per echoed line, or with --brief one plain line per decoded position. Several files are
// decoded one after the other, each from a fresh start; with --brief each begins with "# FILE".
// Exit status: 0; 2 when a file cannot be read (nothing is decoded then).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli/command_registry.h"
#include "cli/standard_output.h"
#include "link/open_file.h"
#include "monitor/decode_stream.h"

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

  const auto format = args.brief ? DecodeStream::Format::Brief : DecodeStream::Format::Json;
  bool writeFailed = false;
  std::vector<uint8_t> buffer(1 << 20);
  for (size_t i = 0; i < files.size(); ++i) {
    if (args.brief && files.size() > 1) writeFailed |= !WriteOut("# " + names[i] + "\n");
    DecodeStream stream(format, args.runBytes,
                        [&writeFailed](std::string_view text) { writeFailed |= !WriteOut(text); });
    size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), files[i].get())) > 0) {
      stream.Feed(buffer.data(), got);
    }
    if (std::ferror(files[i].get())) {
      std::fprintf(stderr, "vetra decode: error reading '%s': %s\n", names[i].c_str(),
                   std::strerror(errno));
      return 2;
    }
    stream.Finish();
  }
  if (!StandardOutputWorks() || writeFailed) return StandardOutputFailed();
  return 0;
}

CommandRegistration registration{
    "decode", "Decode raw receive logs (NMEA and binary frames) as the monitoring task does",
    [](CLI::App& sub) -> std::function<int()> {
      auto args = std::make_shared<DecodeArgs>();
      sub.add_option("files", args->files, "Raw receive logs; '-' or none reads standard input");
      sub.add_option("--run-bytes", args->runBytes,
                     "Bytes per simulated 100 ms pass (default 1024)")
          ->check(CLI::Range(1, 1 << 24));
      sub.add_flag("--brief", args->brief, "One plain line per decoded position instead of JSON");
      return [args] { return Decode(*args); };
    }};

}  // namespace
}  // namespace vetra::cli
