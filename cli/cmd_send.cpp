// vetra send --port NAME|PATH [--baud N] [--timeout S] [--chip k700|k900] [--level N] [--host]
//            [--sync] [--save FILE] [--from FILE] COMMAND [NAME=VALUE ...]
// vetra send --list [COMMAND]  (the commands, or one command's controls: cli/command_list.h)
// Sends one receiver command, as the View page's Send button does, and prints how the receiver
// answered: "ACK", "NACK", or the reply as the screen shows it (revision fields, clock offset,
// test results, module ID, customized ID, settings reports, one progress line per satellite of an
// ephemeris or almanac read). COMMAND and NAME=VALUE are those of `vetra encode`; the frame sent
// goes to stderr as "Command: " and its echo. The answer is awaited until the receiver has been
// silent for --timeout seconds (default 3; every answer starts it again). The terminal never asks:
// Set Factory Default and Set ID are sent as given.
// --sync (Restart): the Sync button, with the position of the first fix the receiver reports
// within --timeout seconds. --save FILE (Read Ephemeris, Read Almanac): once every satellite has
// arrived, the store is written to FILE as the panel's Save writes it. --from FILE (Load
// Ephemeris, Load Almanac): a saved file is checked (its length, a record marked valid) and each
// valid record is sent as one frame, answered by its own ACK ("PRN 3: ACK").
// Exit status: 0 when the command was answered (ACK or its reply; also for a command that sends
// nothing: a note on stderr); 1 on NACK, silence, a missing reply, no fix for --sync, a file that
// cannot be read, checked or written, a port that does not open or fails, a value the panel would
// not accept or a field that does not convert (its message on stderr); 2 for a usage error; 130
// when Ctrl-C ended the wait.
// The frames go through the receiver conversation, which writes them and matches the answers;
// the wait sleeps until an answer, the time-out or Ctrl-C.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/baud_option.h"
#include "cli/command_list.h"
#include "cli/command_registry.h"
#include "cli/level_option.h"
#include "cli/receiver_session.h"
#include "commands/catalogue.h"
#include "commands/control_values.h"
#include "commands/encode_arguments.h"
#include "commands/encoders.h"
#include "commands/panel_rules.h"
#include "commands/reply_expectation.h"
#include "commands/send_path.h"
#include "commands/store_files.h"
#include "link/port_messages.h"
#include "present/reports.h"
#include "trace/trace_command_extension.h"
#include "util/clock.h"

namespace vetra::cli {
namespace {

constexpr const char* kProgram = "vetra send";

struct SendArguments {
  EncodeArguments command;
  std::string port;
  int baud = 4800;
  int timeoutSeconds = 3;
  bool host = false;
  bool sync = false;
  std::string save;  // Read Ephemeris / Read Almanac
  std::string from;  // Load Ephemeris / Load Almanac
};

class EchoToStderr final : public ISendView {
 public:
  void UncheckAcknowledgement() override {}
  void ShowSentence(const std::string& text) override {
    std::fprintf(stderr, "Command: %s\n", text.c_str());
  }
};

std::string ProgressLine(const char* what, const StoreProgress& p) {
  std::string line = std::string(what) + " " + p.count;
  if (p.sv) line += ": SV " + *p.sv + ", Week No " + p.weekNumber.value_or("");
  if (p.toe) line += ", TOE " + *p.toe;
  return line;
}

// The reply as the View page shows it, one line per field.
std::vector<std::string> ReplyLines(const ReplyEvent& event, const Panels& panels, Chip chip,
                                    int testItem) {
  switch (event.kind) {
    case ReplyKind::Revision: {
      const RevisionView v = MakeRevisionView(event.as<RevisionBlock>(), chip == Chip::K900);
      return {"Revision Label: " + v.revision, "CRC: " + v.crc, "Date (YY/MM/DD): " + v.date,
              "Time (HH:MM:SS): " + v.time};
    }
    case ReplyKind::SelfTest: {
      const SelfTestView v = MakeSelfTestView(event.as<SelfTestWords>().words, testItem);
      std::vector<std::string> lines;
      for (int i = 0; i < 4; ++i)
        lines.push_back("W " + std::to_string(i + 1) + ": " + v.results[i]);
      if (v.verdict && !v.verdict->text.empty()) lines.push_back(v.verdict->text);
      return lines;
    }
    case ReplyKind::ClockOffset:
      return {"Clock OffSet: " + MakeClockOffsetText(event.as<ClockOffsetValue>().offset)};
    case ReplyKind::Ephemeris:
      return {ProgressLine("Ephemeris", EphemerisProgress(*event.as<EphemerisSnapshot>()))};
    case ReplyKind::Almanac:
      return {ProgressLine("Almanac", AlmanacProgress(*event.as<AlmanacSnapshot>()))};
    case ReplyKind::ModuleId: {
      const int kind = panels.pnID.rgID;
      return {std::string(kIdKindItems[kind == kProductionId ? 0 : 1]) + ": " +
              MakeModuleIdText(event.as<ModuleIds>().ids, kind)};
    }
    case ReplyKind::NavSettings:
      return MakeNavSettingsReport(event.as<ReplyPayload>().bytes);
    case ReplyKind::SysSettings:
      return MakeSysSettingsReport(event.as<ReplyPayload>().bytes);
    case ReplyKind::CustomizedId:  // the receiver's bytes, one character each
      return {"Customized ID: " + Utf8FromSingleBytes(event.as<CustomizedIdText>().text)};
    default:
      return {};
  }
}

// Says why the command was not answered as awaited; the exit status.
int NotAnswered(const ExchangeResult& result, const ReplyExpectation& awaited, int timeoutSeconds,
                const std::string& lineNote) {
  switch (result.outcome) {
    case ExchangeOutcome::Answered:
      return 0;
    case ExchangeOutcome::Nack:
      return 1;
    case ExchangeOutcome::NoAnswer: {
      const bool replied =
          std::any_of(result.answers.begin(), result.answers.end(),
                      [](const ReplyEvent& a) { return a.kind != ReplyKind::Ack; });
      if (awaited.kind == ReplyExpectation::Kind::StoreRead && replied) {
        std::fprintf(stderr, "vetra send: the receiver stopped before every satellite was sent\n");
      } else if (result.Acknowledged()) {
        std::fprintf(stderr, "vetra send: acknowledged, but no reply within %d s\n",
                     timeoutSeconds);
      } else {
        std::fprintf(stderr, "vetra send: no answer within %d s%s%s\n", timeoutSeconds,
                     lineNote.empty() ? "" : "; ", lineNote.c_str());
      }
      return 1;
    }
    case ExchangeOutcome::PortFailed:  // a write refused says the port's message, in plain words
      std::fprintf(stderr, "vetra send: %s\n",
                   result.written ? "the port failed" : PlainPortMessage(result.error).c_str());
      return 1;
    case ExchangeOutcome::Cancelled:
      std::fprintf(stderr, "vetra send: interrupted\n");
      return kExitInterrupted;
  }
  return 1;
}

// --save and --from belong to the store commands; --sync to Restart (PrepareCommand says so).
bool FileOptionsFit(const SendArguments& args, int number) {
  const std::string_view tree = CatalogueEntryOf(number).treeText;
  if (!args.save.empty() && number != kCmdReadEphemeris && number != kCmdReadAlmanac) {
    std::fprintf(stderr,
                 "%s: --save belongs to Read Ephemeris (09h) and Read Almanac (0Bh), not "
                 "'%.*s'\n",
                 kProgram, static_cast<int>(tree.size()), tree.data());
    return false;
  }
  if (!args.from.empty() && number != kCmdLoadEphemeris && number != kCmdLoadAlmanac) {
    std::fprintf(stderr,
                 "%s: --from belongs to Load Ephemeris (0Ah) and Load Almanac (0Ch), not "
                 "'%.*s'\n",
                 kProgram, static_cast<int>(tree.size()), tree.data());
    return false;
  }
  return true;
}

// The usage or value error of a prepared command, as its exit status; 0 when there is none.
int PreparationError(const PreparedCommand& prepared) {
  if (!prepared.error) return 0;
  std::fprintf(stderr, "%s: %s\n", kProgram, prepared.error->error.c_str());
  return prepared.error->status == EncodeReport::Status::Refused ? 1 : 2;
}

// Waits for a record with a fix; its position for the Sync button.
std::optional<EncodeArguments::Position> WaitForFix(ReceiverSession& session, int timeoutSeconds,
                                                    int& status) {
  const auto deadline = Clock::now() + std::chrono::seconds(timeoutSeconds);
  switch (
      session.WaitUntil([](const SessionState& s) { return s.lastFix.has_value(); }, deadline)) {
    case ReceiverSession::WaitResult::Done: {
      const FixSample fix = *session.Snapshot().lastFix;
      return EncodeArguments::Position{fix.latitudeDeg, fix.longitudeDeg};
    }
    case ReceiverSession::WaitResult::TimedOut:
      std::fprintf(stderr, "%s: no fix from the receiver within %d s; nothing sent\n", kProgram,
                   timeoutSeconds);
      status = 1;
      break;
    case ReceiverSession::WaitResult::PortFailed:
      std::fprintf(stderr, "%s: the port failed\n", kProgram);
      status = 1;
      break;
    case ReceiverSession::WaitResult::Interrupted:
      std::fprintf(stderr, "%s: interrupted\n", kProgram);
      status = kExitInterrupted;
      break;
  }
  return std::nullopt;
}

// --from: each valid record of the file as one frame, each answered by its ACK.
int LoadFromFile(ReceiverSession& session, const SendArguments& args, int number,
                 const std::vector<FrameBytes>& frames) {
  const CommandDescriptor& command = CatalogueEntryOf(number);
  for (const FrameBytes& frame : frames) {
    std::fprintf(stderr, "Command: %s\n", EchoText(frame).c_str());
    Exchange exchange;
    exchange.frames = {frame};
    exchange.awaited = ReplyExpectation{command.id, ReplyExpectation::Kind::Ack, 0};
    exchange.timeoutMs = args.timeoutSeconds * 1000;
    const ExchangeResult result = session.SendAndWait(std::move(exchange));
    const int prn = frame[4];
    if (result.outcome == ExchangeOutcome::Answered || result.outcome == ExchangeOutcome::Nack) {
      std::printf("PRN %d: %s\n", prn,
                  result.outcome == ExchangeOutcome::Answered ? "ACK" : "NACK");
      std::fflush(stdout);
    }
    if (const int status =
            NotAnswered(result, *exchange.awaited, args.timeoutSeconds, session.LineNote())) {
      return status;
    }
  }
  return 0;
}

std::optional<std::vector<FrameBytes>> FramesFromFile(const std::string& path, int number) {
  std::string error;
  std::vector<FrameBytes> frames;
  if (number == kCmdLoadEphemeris) {
    if (const auto store = ReadEphemerisFile(path, error)) {
      frames = LoadEphemerisFrames(CatalogueEntryOf(number), *store);
    }
  } else if (const auto store = ReadAlmanacFile(path, error)) {
    frames = LoadAlmanacFrames(CatalogueEntryOf(number), *store);
  }
  if (frames.empty()) {
    std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
    return std::nullopt;
  }
  return frames;
}

// --save: the store as the panel's Save writes it.
int SaveStore(ReceiverSession& session, int number, const std::string& path) {
  SilentMessages quiet;  // the reason is told here, in the terminal's words
  const bool saved = number == kCmdReadEphemeris
                         ? SaveEphemeris(session.stores().ephemeris, path, quiet)
                         : SaveAlmanac(session.stores().almanac, path, quiet);
  if (!saved) {
    std::fprintf(stderr, "%s: cannot write '%s'\n", kProgram, path.c_str());
    return 1;
  }
  std::printf("Saved %s\n", path.c_str());
  std::fflush(stdout);
  return 0;
}

int Send(SendArguments& args) {
  if (args.timeoutSeconds < 1) {
    std::fprintf(stderr, "%s: --timeout must be at least 1 second\n", kProgram);
    return 2;
  }
  args.command.utcSeconds = SystemClock::instance().nowSeconds();
  // Everything that can be told without the receiver is told before the port opens; --sync is
  // checked with a stand-in position until the receiver gives one.
  if (args.sync) args.command.sync = EncodeArguments::Position{};
  PreparedCommand prepared = PrepareCommand(args.command);
  if (const int status = PreparationError(prepared)) return status;
  const int number = prepared.number;
  if (!FileOptionsFit(args, number)) return 2;
  std::optional<std::vector<FrameBytes>> fileFrames;
  if (!args.from.empty()) {
    fileFrames = FramesFromFile(args.from, number);
    if (!fileFrames) return 1;
  }

  ReceiverSession session(kProgram);
  if (const int opened = session.Open(args.port, args.baud, args.host); opened != 0) return opened;
  if (fileFrames) return LoadFromFile(session, args, number, *fileFrames);
  if (args.sync) {
    int status = 0;
    args.command.sync = WaitForFix(session, args.timeoutSeconds, status);
    if (!args.command.sync) return status;
    args.command.utcSeconds = SystemClock::instance().nowSeconds();
    prepared = PrepareCommand(args.command);
    if (const int error = PreparationError(prepared)) return error;
  }

  // The send path hands its frames over; the conversation writes them and matches the answers.
  FrameBatch frames;
  EncodeContext context{.chip = args.command.chip,
                        .accessLevel = args.command.accessLevel,
                        .stores = &session.stores(),
                        .writer = &frames,
                        .extension = args.command.extension};
  EchoToStderr view;
  const SendOutcome sent = SendCommand(number, prepared.panels, context, view);
  Exchange exchange;
  exchange.frames = std::move(frames.frames);
  switch (sent.status) {
    case SendOutcome::Status::Sent:
      break;
    case SendOutcome::Status::NothingToSend:
      std::fprintf(stderr, "%s: %s\n", kProgram, NothingToSendNote(number).c_str());
      return 0;
    case SendOutcome::Status::ConversionFailed:
      std::fprintf(stderr, "%s\n", sent.message.c_str());
      return 1;
    case SendOutcome::Status::Refused:
    case SendOutcome::Status::Declined:
    case SendOutcome::Status::NoPort:
    case SendOutcome::Status::WriteFailed:
      std::fprintf(stderr, "%s: %s\n", kProgram, sent.message.c_str());
      return 1;
  }

  const ReplyExpectation awaited = ExpectationFor(number, prepared.panels);
  exchange.awaited = awaited;
  exchange.timeoutMs = args.timeoutSeconds * 1000;
  const ExchangeResult result =
      session.SendAndWait(std::move(exchange), [&](const ReplyEvent& answer) {
        if (answer.kind == ReplyKind::Ack) {
          std::printf("ACK\n");
        } else if (answer.kind == ReplyKind::Nack) {
          std::printf("NACK\n");
        } else {
          for (const std::string& line :
               ReplyLines(answer, prepared.panels, args.command.chip, context.keptTestItem)) {
            std::printf("%s\n", line.c_str());
          }
        }
        std::fflush(stdout);
      });
  if (const int status = NotAnswered(result, awaited, args.timeoutSeconds, session.LineNote())) {
    if (!args.save.empty()) {
      std::fprintf(stderr, "%s: '%s' not written\n", kProgram, args.save.c_str());
    }
    return status;
  }
  return args.save.empty() ? 0 : SaveStore(session, number, args.save);
}

const CommandRegistration kSend{
    "send", "Send a receiver command and print the receiver's answer",
    [](CLI::App& sub) -> std::function<int()> {
      auto args = std::make_shared<SendArguments>();
      auto chip = std::make_shared<std::string>("k700");
      sub.add_option("--port", args->port,
                     "Port name (COM1..COM40) or device path (required unless --list)");
      AddBaudOption(sub, args->baud, "Line rate");
      sub.add_option("--timeout", args->timeoutSeconds,
                     "Seconds of silence after which the answer is given up")
          ->default_val(3);
      sub.add_flag("--host", args->host, "Host mode: even parity");
      sub.add_option("--chip", *chip, "Chip chosen on the Setup page")
          ->transform(CLI::IsMember({"k700", "k900"}, CLI::ignore_case));
      AddLevelOption(sub, args->command.accessLevel);
      sub.add_flag("--sync", args->sync,
                   "Restart: the Sync button, with the position of the receiver's first fix");
      sub.add_option("--save", args->save,
                     "Read Ephemeris / Read Almanac: write the store to this file, as Save does");
      sub.add_option("--from", args->from,
                     "Load Ephemeris / Load Almanac: send the valid records of this saved file");
      auto list = std::make_shared<bool>(false);
      AddCommandArguments(sub, args->command, *list);
      return [args, chip, list] {
        args->command.chip = *chip == "k900" ? Chip::K900 : Chip::K700;
        TraceCommandExtension trace;
        args->command.extension = &trace;
        if (*list) return ListCommands(args->command, kProgram);
        if (args->command.command.empty()) return CommandMissing(kProgram);
        if (args->port.empty()) {
          std::fprintf(stderr, "%s: --port is required\nRun with --help for more information.\n",
                       kProgram);
          return 2;
        }
        return Send(*args);
      };
    }};

}  // namespace
}  // namespace vetra::cli
