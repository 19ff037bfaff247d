// vetra trace --port NAME|PATH [--baud N] [--timeout S] ACTION
// The receiver's position log (trace memory) from a terminal, with the frames the screen sends:
//   status   asks for the status with configuration (the maintain command, "Read status &
//            configuration") and prints the full report as the Trace page shows it
//   start    starts logging: "Record Trace (1Dh)" with "Start log", which keeps the rules set by
//            setup; with --distance, --interval or --time-to-log the Trace page's Record frame,
//            which carries those three fields
//   stop     stops logging: "Record Trace (1Dh)" with "Stop log"
//   clear    the Trace page's Clear frame
//   setup    the maintain command's Setup: reads the receiver's rules first (status with
//            configuration) and changes only those named (--distance, --interval, --speed,
//            --stop-on-full, --power-on-log, --extended); the others go back as the fields read
//   test     the maintain command's Test: "TEST OK!" or "TEST FAIL!"
//   read     asks for the status (the number of records logged); when the receiver still reads
//            (a read cut short before), sends the explicit stop ("Read Trace" with "stop") and
//            asks again; starts the Trace page's read, writes every byte received into --out
//            (default "tracelog.tmp") until that many trace records have arrived, with a progress
//            bar on stderr, then stops the read with the explicit stop frame confirmed by a
//            status query (one exchange: after a silence the wind-down waits one more --timeout
//            at most). A read that ends without a record removes an empty file, or names the
//            file it leaves. `vetra convert` turns the file into text.
// Every action prints "ACK" or "NACK" as the indicators show it; start, stop, clear and setup then
// print the status report the receiver gives afterwards.
// Exit status: 0 on success; 1 on NACK, on silence (no answer within --timeout seconds, default
// 5; during a read, no new record for that long), when nothing is logged for a read, when the
// receiver keeps reading after the explicit stop, when the port does not open or fails, or the
// capture file cannot be written; 2 for a usage error;
// 130 when Ctrl-C ended a read (the file keeps every byte received; the read is stopped).
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "cli/baud_option.h"
#include "cli/command_registry.h"
#include "cli/receiver_session.h"
#include "link/port_messages.h"
#include "present/reports.h"
#include "trace/trace_convert.h"
#include "trace/trace_frames.h"
#include "trace/trace_page_rules.h"
#include "trace/trace_read_control.h"

namespace vetra::cli {
namespace {

constexpr const char* kProgram = "vetra trace";
constexpr int kMaintainReadStatusAndConfiguration = 2;
constexpr int kMaintainTest = 4;
constexpr uint8_t kTraceStatusFullReply = 0x89;  // F2 89: status with configuration
constexpr uint8_t kTestResultReply = 0x8C;       // F2 8C

struct TraceArgs {
  std::string port;
  int baud = 4800;
  int timeoutSeconds = 5;
  // setup: only what is named changes
  std::optional<bool> stopOnFull, powerOnLog, extended;
  std::optional<int> setupDistance, setupInterval, setupSpeedKmh;
  // start
  std::optional<int> startDistance, startInterval, startTimeToLog;
  // read
  std::string out = kTraceCaptureFile;
};

// The frame and the answer it waits for; the time-out starts again with every answer.
Exchange Command(Frame frame, ReplyExpectation awaited, const TraceArgs& args) {
  Exchange exchange;
  exchange.frames.push_back(std::move(frame));
  exchange.awaited = awaited;
  exchange.timeoutMs = args.timeoutSeconds * 1000;
  return exchange;
}

ReplyExpectation AckOf(uint8_t commandId) { return {commandId, ReplyExpectation::Kind::Ack, 0}; }

ReplyExpectation ReplyOf(uint8_t commandId, uint8_t replyId) {
  return {commandId, ReplyExpectation::Kind::Reply, replyId};
}

void PrintReport(const TraceReport& report, int state) {
  if (report.trcStatus.empty()) {
    std::printf("Status: state %d\n", state);
  } else {
    std::printf("Status: %s\n", report.trcStatus.c_str());
  }
  std::printf("Percentage: %s\n", report.usedPercent.c_str());
  std::printf("Logged: %s\n", report.recordsLogged.c_str());
  if (report.config) {
    for (const std::string& line : *report.config) std::printf("%s\n", line.c_str());
  }
  std::fflush(stdout);
}

// Says why a command got no (full) answer; returns the exit status for it.
int AnswerFailure(const ReceiverSession& session, const ExchangeResult& answer,
                  const TraceArgs& args, const char* awaited) {
  switch (answer.outcome) {
    case ExchangeOutcome::Answered:
      return 0;
    case ExchangeOutcome::Nack:
      std::printf("NACK\n");
      std::fprintf(stderr, "%s: the receiver refused the command\n", kProgram);
      return 1;
    case ExchangeOutcome::NoAnswer:
      if (answer.Acknowledged()) {
        std::printf("ACK\n");
        std::fprintf(stderr, "%s: acknowledged, but no %s within %d s\n", kProgram, awaited,
                     args.timeoutSeconds);
      } else {
        const std::string note = session.LineNote();
        std::fprintf(stderr, "%s: no answer within %d s%s%s\n", kProgram, args.timeoutSeconds,
                     note.empty() ? "" : "; ", note.c_str());
      }
      return 1;
    case ExchangeOutcome::Cancelled:
      std::fprintf(stderr, "%s: interrupted\n", kProgram);
      return kExitInterrupted;
    case ExchangeOutcome::PortFailed:
      if (answer.written) {
        std::fprintf(stderr, "%s: the receiver's port failed (unplugged?)\n", kProgram);
      } else {  // the frame never left: the port's own message
        std::fprintf(stderr, "%s: %s\n", kProgram, PlainPortMessage(answer.error).c_str());
      }
      return 1;
  }
  return 1;
}

ExchangeResult QueryStatus(ReceiverSession& session, const TraceArgs& args) {
  MaintainTracePanel panel;
  panel.rgTraceStatus = kMaintainReadStatusAndConfiguration;
  return session.SendAndWait(Command(EncodeTraceMaintain(panel),
                                     ReplyOf(kTraceMaintainCommand, kTraceStatusFullReply), args));
}

const TraceStatus& StatusOf(const ExchangeResult& answer) {
  return answer.Find(ReplyKind::TraceStatusFull)->as<TraceStatus>();
}

// Prints the full status report; the exit status.
int Status(ReceiverSession& session, const TraceArgs& args) {
  const ExchangeResult answer = QueryStatus(session, args);
  if (answer.outcome != ExchangeOutcome::Answered) {
    return AnswerFailure(session, answer, args, "status report");
  }
  PrintReport(MakeFullTraceReport(StatusOf(answer), ""), StatusOf(answer).state);
  return 0;
}

// Sends a command answered by ACK, then shows the status it left.
int Act(ReceiverSession& session, const TraceArgs& args, const Frame& frame, uint8_t commandId) {
  const ExchangeResult answer = session.SendAndWait(Command(frame, AckOf(commandId), args));
  if (answer.outcome != ExchangeOutcome::Answered) {
    return AnswerFailure(session, answer, args, "acknowledgement");
  }
  std::printf("ACK\n");
  std::fflush(stdout);
  return Status(session, args);
}

int Start(ReceiverSession& session, const TraceArgs& args) {
  if (!args.startDistance && !args.startInterval && !args.startTimeToLog) {
    return Act(session, args, EncodeTraceRecord({.rgTraceRecordAction = 1}), kTraceRecordCommand);
  }
  const TracePageInputs defaults;
  const auto field = [](const std::optional<int>& given, const std::string& fallback) {
    return static_cast<uint16_t>(given ? *given : TraceIntegerOrZero(fallback));
  };
  const int recording = 1;
  return Act(session, args,
             TracePageRecordFrame(recording, field(args.startDistance, defaults.lbTrcDistance),
                                  field(args.startInterval, defaults.lbTrcPeriod),
                                  field(args.startTimeToLog, defaults.lbTrcTime)),
             kTraceRecordCommand);
}

// Reads the rules the receiver has, changes the ones named and sends them all back: what was not
// named goes back as the very field read.
int Setup(ReceiverSession& session, const TraceArgs& args) {
  const ExchangeResult current = QueryStatus(session, args);
  if (current.outcome != ExchangeOutcome::Answered) {
    return AnswerFailure(session, current, args, "status report");
  }
  TraceSetupFields fields = TraceSetupFieldsOf(StatusOf(current));
  const auto flag = [&fields](const std::optional<bool>& named, uint8_t bit) {
    if (named) {
      fields.flags = static_cast<uint8_t>(*named ? fields.flags | bit : fields.flags & ~bit);
    }
  };
  flag(args.stopOnFull, kTraceStopOnFull);
  flag(args.powerOnLog, kTracePowerOnLog);
  flag(args.extended, kTraceExtended);
  if (args.setupDistance) fields.distanceM = static_cast<uint16_t>(*args.setupDistance);
  if (args.setupInterval) fields.periodSeconds = static_cast<uint16_t>(*args.setupInterval);
  if (args.setupSpeedKmh) {
    fields.speedField = static_cast<uint16_t>(TraceSpeedField(*args.setupSpeedKmh));
  }
  return Act(session, args, EncodeTraceSetup(fields), kTraceMaintainCommand);
}

int Test(ReceiverSession& session, const TraceArgs& args) {
  MaintainTracePanel panel;
  panel.rgTraceStatus = kMaintainTest;
  const ExchangeResult answer = session.SendAndWait(
      Command(EncodeTraceMaintain(panel), ReplyOf(kTraceMaintainCommand, kTestResultReply), args));
  if (answer.outcome != ExchangeOutcome::Answered) {
    return AnswerFailure(session, answer, args, "test result");
  }
  const bool failed = answer.Find(ReplyKind::TestResult)->as<TestVerdict>().failed;
  std::printf("%s\n", MakeTestResultView(failed).text.c_str());
  return failed ? 1 : 0;
}

// The end of a read after the capture was closed (every byte in it): the explicit stop frame and
// a status query, one exchange, so that a receiver gone silent holds it for one time-out at most.
// Ctrl-C no longer cuts this wait short; a second Ctrl-C ends the program.
void StopRead(ReceiverSession& session, const TraceArgs& args, int baudIndex) {
  session.ClearInterrupt();
  const ExchangeResult stopped =
      session.SendAndWait(TraceReadStopAndQuery(baudIndex, args.timeoutSeconds * 1000));
  const std::optional<TraceStatus> status = TraceStatusIn(stopped);
  if (!status || status->state == kTraceStateReading) {
    std::fprintf(stderr, "%s: the receiver did not confirm the end of the read\n", kProgram);
  }
}

// Makes sure the receiver is not reading before the page's read frame, which toggles, starts a
// read: stops a read left running. 0, or the exit status with its message written.
int EnsureNotReading(ReceiverSession& session, const TraceArgs& args, const TraceStatus& status,
                     int baudIndex) {
  if (GateReadStart(status, false) == ReadGate::Start) return 0;
  std::fprintf(stderr, "%s: the receiver is still reading its log; stopping that read first\n",
               kProgram);
  const ExchangeResult stopped =
      session.SendAndWait(TraceReadStopAndQuery(baudIndex, args.timeoutSeconds * 1000));
  switch (GateReadStart(TraceStatusIn(stopped), true)) {
    case ReadGate::Start:
      return 0;
    case ReadGate::StillReading:
      std::fprintf(stderr, "%s: the receiver still reads after the stop; nothing was read\n",
                   kProgram);
      return 1;
    case ReadGate::NoStatus:
    case ReadGate::StopFirst:
      break;
  }
  return AnswerFailure(session, stopped, args, "status report");
}

// What a read that ended early leaves: the file with what arrived, or, without a record, the file
// removed when it is empty, named when it is not.
std::string CaptureLeft(const std::string& path, uint64_t records, const char* holds) {
  if (records != 0) return "'" + path + "' holds " + holds;
  return "no record was read: " + SettleEmptyCapture(path);
}

int Read(ReceiverSession& session, const TraceArgs& args) {
  const ExchangeResult status = QueryStatus(session, args);
  if (status.outcome != ExchangeOutcome::Answered) {
    return AnswerFailure(session, status, args, "status report");
  }
  const TraceStatus trace = StatusOf(status);
  PrintReport(MakeFullTraceReport(trace, ""), trace.state);
  if (trace.recordsLogged <= 0) {
    std::fprintf(stderr, "%s: the receiver has logged no records; nothing to read\n", kProgram);
    return 1;
  }
  const auto total = static_cast<uint64_t>(trace.recordsLogged);
  const int baudIndex = TracePageBaudIndex(args.baud);
  if (const int refused = EnsureNotReading(session, args, trace, baudIndex); refused != 0) {
    return refused;
  }

  std::string error;
  if (!session.StartCapture(args.out, error)) {
    std::fprintf(stderr, "%s: cannot write '%s': %s\n", kProgram, args.out.c_str(), error.c_str());
    return 1;
  }
  const int reading = 2;
  const ExchangeResult started = session.SendAndWait(
      Command(TracePageReadFrame(reading, true, 0, baudIndex), AckOf(kTraceReadCommand), args));
  if (started.outcome == ExchangeOutcome::Nack || started.outcome == ExchangeOutcome::PortFailed) {
    session.StopCapture();
    const int status = AnswerFailure(session, started, args, "acknowledgement");
    std::fprintf(stderr, "%s: %s\n", kProgram, CaptureLeft(args.out, 0, "").c_str());
    return status;
  }
  // Silence here is judged below: records may flow without an ACK; Ctrl-C is judged below too.

  ProgressBar bar("records", total);
  bar.Show(0);
  uint64_t records = 0;
  bool writeFailed = false;
  ReceiverSession::WaitResult result = ReceiverSession::WaitResult::Done;
  Clock::time_point lastRecord = Clock::now();
  while (records < total && !writeFailed) {
    uint64_t seen = records;
    result = session.WaitUntil(
        [&](const SessionState& s) {
          seen = s.capturedRecords;
          writeFailed = s.captureFailed;
          return seen != records || writeFailed;
        },
        lastRecord + std::chrono::seconds(args.timeoutSeconds));
    if (result != ReceiverSession::WaitResult::Done) break;
    if (seen != records) lastRecord = Clock::now();
    records = seen;
    bar.Show(records);
  }
  bar.Finish();

  if (result == ReceiverSession::WaitResult::PortFailed) {
    session.StopCapture();
    std::fprintf(
        stderr, "%s: the receiver's port failed (unplugged?) after %llu of %llu records; %s\n",
        kProgram, static_cast<unsigned long long>(records), static_cast<unsigned long long>(total),
        CaptureLeft(args.out, records, "every byte received").c_str());
    return 1;
  }
  const bool written = session.StopCapture();
  StopRead(session, args, baudIndex);
  const SessionState end = session.Snapshot();
  records = end.capturedRecords;
  if (!written || writeFailed) {
    std::fprintf(stderr, "%s: writing '%s' failed after %llu records\n", kProgram, args.out.c_str(),
                 static_cast<unsigned long long>(records));
    return 1;
  }
  if (result == ReceiverSession::WaitResult::Interrupted) {
    std::fprintf(stderr, "%s: interrupted after %llu of %llu records; %s\n", kProgram,
                 static_cast<unsigned long long>(records), static_cast<unsigned long long>(total),
                 CaptureLeft(args.out, records, "every byte received").c_str());
    return kExitInterrupted;
  }
  if (result == ReceiverSession::WaitResult::TimedOut) {
    std::fprintf(stderr, "%s: no record for %d s after %llu of %llu records; %s\n", kProgram,
                 args.timeoutSeconds, static_cast<unsigned long long>(records),
                 static_cast<unsigned long long>(total),
                 CaptureLeft(args.out, records, "what arrived").c_str());
    return 1;
  }
  std::printf("Read %llu records (%llu bytes) into %s\n", static_cast<unsigned long long>(records),
              static_cast<unsigned long long>(end.capturedBytes), args.out.c_str());
  return 0;
}

using Action = int (*)(ReceiverSession&, const TraceArgs&);

int Run(const TraceArgs& args, Action action) {
  ReceiverSession session(kProgram);
  if (const int opened = session.Open(args.port, args.baud); opened != 0) return opened;
  return action(session, args);
}

CLI::Option* OnOff(CLI::App& app, const std::string& name, std::optional<bool>& flag,
                   const std::string& help) {
  return app
      .add_option_function<std::string>(
          name, [&flag](const std::string& value) { flag = value == "on"; }, help)
      ->check(CLI::IsMember({"on", "off"}));
}

const CommandRegistration kTrace{
    "trace", "The receiver's position log: status, start, stop, clear, setup, test, read",
    [](CLI::App& sub) -> std::function<int()> {
      auto args = std::make_shared<TraceArgs>();
      auto action = std::make_shared<Action>(nullptr);
      sub.add_option("--port", args->port, "Port name (COM1..COM40) or device path")->required();
      AddBaudOption(sub, args->baud, "Line rate");
      sub.add_option("--timeout", args->timeoutSeconds,
                     "Seconds to wait for an answer, and during a read for the next record "
                     "(default 5)")
          ->check(CLI::Range(1, 600));
      sub.require_subcommand(1);
      sub.fallthrough();  // --port and the rest may follow the action too

      const auto add = [&](const char* name, const char* help, Action run) {
        CLI::App* app = sub.add_subcommand(name, help);
        app->callback([action, run] { *action = run; });
        return app;
      };
      add("status", "Print the status and configuration report", &Status);
      CLI::App* start = add("start", "Start logging", &Start);
      start
          ->add_option("--distance", args->startDistance,
                       "With the Trace page's Record frame: distance in metres")
          ->check(CLI::Range(0, 65535));
      start
          ->add_option("--interval", args->startInterval,
                       "With the Trace page's Record frame: time period in seconds")
          ->check(CLI::Range(0, 65535));
      start
          ->add_option("--time-to-log", args->startTimeToLog,
                       "With the Trace page's Record frame: seconds to log (65535: no limit)")
          ->check(CLI::Range(0, 65535));
      add("stop", "Stop logging", [](ReceiverSession& s, const TraceArgs& a) {
        return Act(s, a, EncodeTraceRecord({.rgTraceRecordAction = 0}), kTraceRecordCommand);
      });
      add("clear", "Clear the log", [](ReceiverSession& s, const TraceArgs& a) {
        return Act(s, a, TracePageClearFrame(), kTraceMaintainCommand);
      });
      CLI::App* setup = add("setup", "Set the logging rules", &Setup);
      setup->add_option("--distance", args->setupDistance, "Minimum distance in metres")
          ->check(CLI::Range(0, 65535));
      setup->add_option("--interval", args->setupInterval, "Time interval in seconds")
          ->check(CLI::Range(0, 65535));
      // The largest speed whose field (0.1 m/s) still fits its 16 bits.
      setup->add_option("--speed", args->setupSpeedKmh, "Minimum speed in km/h")
          ->check(CLI::Range(0, 23592));
      OnOff(*setup, "--stop-on-full", args->stopOnFull, "Stop logging when full");
      OnOff(*setup, "--power-on-log", args->powerOnLog, "Start logging at power-on");
      OnOff(*setup, "--extended", args->extended, "Extended records");
      add("test", "Run the log memory's test", &Test);
      CLI::App* read = add("read", "Read the log back into a capture file", &Read);
      read->add_option("--out", args->out, "Capture file (default tracelog.tmp)");
      return [args, action] { return *action ? Run(*args, *action) : 2; };
    }};

}  // namespace
}  // namespace vetra::cli
