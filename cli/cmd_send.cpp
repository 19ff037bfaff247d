// vetra send --port NAME|PATH [--baud N] [--timeout S] [--chip k700|k900] [--level N] [--host]
//            COMMAND [NAME=VALUE ...]
// Sends one receiver command, as the View page's Send button does, and prints how the receiver
// answered: "ACK", "NACK", or the reply as the screen shows it (revision fields, clock offset,
// test results, module ID, customized ID, settings reports, one progress line per satellite of an
// ephemeris or almanac read). COMMAND and NAME=VALUE are those of `vetra encode`; the frame sent
// goes to stderr as "Command: " and its echo. The answer is awaited until the receiver has been
// silent for --timeout seconds (default 3; every answer starts it again).
// Exit status: 0 when the command was answered (ACK or its reply; also for a command that sends
// nothing: a note on stderr); 1 on NACK, silence, a missing reply, a port that does not open or
// fails, or a field that does not convert (its message on stderr); 2 for a usage error; 130 when
// Ctrl-C ended the wait.
// The frames go through the receiver conversation, which writes them and matches the answers;
// the wait sleeps until an answer, the time-out or Ctrl-C.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/command_registry.h"
#include "cli/receiver_session.h"
#include "commands/catalogue.h"
#include "commands/encode_arguments.h"
#include "commands/reply_expectation.h"
#include "commands/send_path.h"
#include "commands/store_files.h"
#include "monitor/reports.h"
#include "trace/trace_command_extension.h"

namespace vetra::cli {
namespace {

struct SendArguments {
  EncodeArguments command;
  std::string port;
  int baud = 4800;
  int timeoutSeconds = 3;
  bool host = false;
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
    case ReplyKind::CustomizedId:
      return {"Customized ID: " + event.as<CustomizedIdText>().text};
    default:
      return {};
  }
}

// Says why the command was not answered as awaited; the exit status.
int NotAnswered(const ExchangeResult& result, const ReplyExpectation& awaited, int timeoutSeconds) {
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
        std::fprintf(stderr, "vetra send: no answer within %d s\n", timeoutSeconds);
      }
      return 1;
    }
    case ExchangeOutcome::PortFailed:  // a write refused says the port's own message
      std::fprintf(stderr, "vetra send: %s\n",
                   result.written ? "the port failed" : result.error.c_str());
      return 1;
    case ExchangeOutcome::Cancelled:
      std::fprintf(stderr, "vetra send: interrupted\n");
      return kExitInterrupted;
  }
  return 1;
}

int Send(SendArguments& args) {
  PreparedCommand prepared = PrepareCommand(args.command);
  if (prepared.error) {
    std::fprintf(stderr, "vetra send: %s\n", prepared.error->error.c_str());
    return 2;
  }
  if (args.timeoutSeconds < 1) {
    std::fprintf(stderr, "vetra send: --timeout must be at least 1 second\n");
    return 2;
  }
  ReceiverSession session("vetra send");
  if (const int opened = session.Open(args.port, args.baud, args.host); opened != 0) return opened;

  // The send path hands its frames over; the conversation writes them and matches the answers.
  FrameBatch frames;
  EncodeContext context{.chip = args.command.chip,
                        .accessLevel = args.command.accessLevel,
                        .stores = &session.stores(),
                        .writer = &frames,
                        .extension = args.command.extension};
  EchoToStderr view;
  const SendOutcome sent = SendCommand(prepared.number, prepared.panels, context, view);
  Exchange exchange;
  exchange.frames = std::move(frames.frames);
  switch (sent.status) {
    case SendOutcome::Status::Sent:
      break;
    case SendOutcome::Status::NothingToSend:
      std::fprintf(stderr, "vetra send: %s\n", NothingToSendNote(prepared.number).c_str());
      return 0;
    case SendOutcome::Status::ConversionFailed:
      std::fprintf(stderr, "%s\n", sent.message.c_str());
      return 1;
    case SendOutcome::Status::NoPort:
    case SendOutcome::Status::WriteFailed:
      std::fprintf(stderr, "vetra send: %s\n", sent.message.c_str());
      return 1;
  }

  const ReplyExpectation awaited = ExpectationFor(prepared.number, prepared.panels);
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
  return NotAnswered(result, awaited, args.timeoutSeconds);
}

const CommandRegistration kSend{
    "send", "Send a receiver command and print the receiver's answer",
    [](CLI::App& sub) -> std::function<int()> {
      auto args = std::make_shared<SendArguments>();
      auto chip = std::make_shared<std::string>("k700");
      sub.add_option("--port", args->port, "Port name (COM1..COM40) or device path")->required();
      sub.add_option("--baud", args->baud, "Line rate")->default_val(4800);
      sub.add_option("--timeout", args->timeoutSeconds,
                     "Seconds of silence after which the answer is given up")
          ->default_val(3);
      sub.add_flag("--host", args->host, "Host mode: even parity");
      sub.add_option("--chip", *chip, "Chip chosen on the Setup page")
          ->check(CLI::IsMember({"k700", "k900"}, CLI::ignore_case))
          ->transform(CLI::IsMember({"k700", "k900"}, CLI::ignore_case));
      sub.add_option("--level", args->command.accessLevel, "Access level (-1, 0, 1, 5, 6, 8, 16)")
          ->default_val(kEngineerLevel);
      sub.add_option("command", args->command.command,
                     "Catalogue number 1..34, message id (05h) or tree text")
          ->required();
      sub.add_option("controls", args->command.assignments,
                     "NAME=VALUE: a control of the command's panel and its value");
      return [args, chip] {
        args->command.chip = *chip == "k900" ? Chip::K900 : Chip::K700;
        TraceCommandExtension trace;
        args->command.extension = &trace;
        return Send(*args);
      };
    }};

}  // namespace
}  // namespace vetra::cli
