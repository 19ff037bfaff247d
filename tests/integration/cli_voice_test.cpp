// The terminal speaks in one voice: every subcommand that opens a port words the same failure the
// same way, checks --baud while reading its options, names an unknown option before a missing
// one, and `vetra --help` names every subcommand.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "cli_files.h"
#include "cli_process.h"

namespace vetra::testing {
namespace {

using namespace std::chrono_literals;

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

Outcome Vetra(const std::vector<std::string>& args) {
  CliProcess process(args);
  const int status = process.WaitForExit(30s);
  return {status, process.out(), process.err()};
}

bool Has(const std::string& text, const std::string& what) {
  return text.find(what) != std::string::npos;
}

// Each subcommand that opens a port, with what it needs besides --port.
std::vector<std::vector<std::string>> PortCommands(const std::string& image) {
  return {
      {"send", "05h"},
      {"trace", "status"},
      {"ttff", "--mode", "hot", "--cycles", "1"},
      {"monitor"},
      {"scan"},
      {"share", "--listen", "127.0.0.1:0", "--nmea-listen", "127.0.0.1:0"},
      {"load", image},
  };
}

TEST(CliVoice, EverySubcommandWordsAPortFailureTheSame) {
  TempFolder folder;
  const std::string image = folder / "image.bin";
  std::ofstream(image) << std::string(1024, '\xFF');
  const struct {
    std::string port;
    std::string words;
  } failures[] = {
      {"/nonexistent/ttyVETRA9",
       "Open com port: Wrong com!\n\n/nonexistent/ttyVETRA9: No such file or directory.\n"},
      {"/etc/passwd", "Open com port: Wrong com!\n\n/etc/passwd: not a serial device.\n"},
  };
  for (const auto& failure : failures) {
    for (std::vector<std::string> args : PortCommands(image)) {
      const std::string name = args.front();
      args.insert(args.begin() + 1, {"--port", failure.port});
      const Outcome run = Vetra(args);
      EXPECT_EQ(run.status, 1) << name << "\n" << run.err;
      EXPECT_EQ(run.err, "vetra " + name + ": " + failure.words) << name;
    }
  }
}

TEST(CliVoice, EveryBaudIsCheckedWhileTheOptionsAreRead) {
  TempFolder folder;
  const std::string image = folder / "image.bin";
  std::ofstream(image) << std::string(1024, '\xFF');
  std::vector<std::vector<std::string>> commands = PortCommands(image);
  commands.erase(commands.begin() + 4);  // scan tries every rate itself
  commands.push_back({"sim"});
  for (std::vector<std::string> args : commands) {
    const std::string name = args.front();
    args.insert(args.begin() + 1, {"--baud", "1234"});
    if (name != "sim") args.insert(args.begin() + 1, {"--port", "/dev/null"});
    const Outcome run = Vetra(args);
    EXPECT_EQ(run.status, 2) << name << "\n" << run.err;
    EXPECT_TRUE(Has(run.err, "--baud: 1234 not in {2400,4800,9600,19200,38400,57600,115200}"))
        << name << "\n"
        << run.err;
  }
}

TEST(CliVoice, AnUnknownOptionIsNamedBeforeAMissingOne) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"monitor", "--prot", "P"}, {"trace", "--prot", "P", "status"}}) {
    const Outcome run = Vetra(args);
    EXPECT_EQ(run.status, 2) << args.front();
    EXPECT_TRUE(Has(run.err, "--prot")) << run.err;
    EXPECT_FALSE(Has(run.err, "required")) << run.err;
  }
}

TEST(CliVoice, HelpNamesEverySubcommandOnItsFirstLine) {
  const Outcome run = Vetra({"--help"});
  ASSERT_EQ(run.status, 0);
  const std::string first = run.out.substr(0, run.out.find('\n'));
  for (const char* sub : {"completion", "decode", "encode", "load", "monitor", "scan", "send",
                          "share", "sim", "stats", "trace", "ttff"}) {
    EXPECT_TRUE(Has(first, sub)) << first;
  }
}

}  // namespace
}  // namespace vetra::testing
