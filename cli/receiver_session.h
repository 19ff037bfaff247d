#pragma once
// A conversation with the receiver from the terminal: the port opened by NAME|PATH, the
// monitoring task reading it on its own thread with an inline hand-off, and what the receiver
// answered, collected so that a command can send a frame and wait for its answer with a deadline.
//
// What is collected: every ACK and NACK (with the command id it answers), the trace status replies
// (the status as the reply left it), the trace test results, the echoed lines, the last display
// copy of the navigation record, and during a capture the bytes written and the trace records
// (F2 88 frames that the trace converter will find) among them.
//
// Ctrl-C: while a session exists, SIGINT and SIGTERM are taken by a watcher thread. The first one
// ends every wait at once (the caller then winds down: stops a read, writes what it has); a
// second one ends the program at once. A capture writes each received chunk straight to its file,
// so every byte received is in it whichever way the program ends.
//
// Threads: the waits run on the caller's thread; the task's hand-offs run inline on its own
// thread and only update the collected state under the session's mutex. The session never calls
// into the task while it holds that mutex.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/receiver_port.h"
#include "model/nav_record.h"
#include "model/receiver_stores.h"
#include "model/reply_fields.h"
#include "monitor/view_task.h"

namespace vetra::cli {

class InterruptWatcher;
class CaptureFile;

using Clock = std::chrono::steady_clock;

// One answer of the receiver, in arrival order.
struct ReceiverEvent {
  enum class Kind { Ack, Nack, TraceStatusFull, TraceStatusShort, TestResult };
  Kind kind = Kind::Ack;
  uint8_t commandId = 0;    // Ack, Nack: the command answered
  TraceStatus trace = {};   // TraceStatusFull, TraceStatusShort
  bool testFailed = false;  // TestResult
};

// Everything collected so far; conditions of WaitUntil read it under the session's lock.
struct SessionState {
  std::vector<ReceiverEvent> events;
  uint64_t linesReceived = 0;
  uint64_t navigationUpdates = 0;
  TNavRecord lastNavigation;
  uint64_t capturedBytes = 0;
  uint64_t capturedRecords = 0;
  bool captureFailed = false;      // a write to the capture file failed
  Clock::time_point lastActivity;  // the last line or captured byte
  bool portFailed = false;
  bool interrupted = false;
};

// How a command was answered.
struct CommandAnswer {
  enum class Outcome {
    Answered,     // ACK, and the reply when one was expected
    Nack,         // the receiver refused the command
    AckedOnly,    // the ACK came, the expected reply did not
    Silence,      // neither ACK nor NACK nor reply
    Interrupted,  // Ctrl-C
    PortFailed,   // the receiver unplugged
    NotSent,      // the frame could not be written
  };
  Outcome outcome = Outcome::Silence;
  std::optional<ReceiverEvent> reply;
};

class ReceiverSession final : private IViewDisplay {
 public:
  // program names the tool in messages ("vetra trace"). Takes Ctrl-C from here on.
  explicit ReceiverSession(std::string program);
  // Stops the task, closes a capture (every byte in it) and the port, gives Ctrl-C back.
  ~ReceiverSession() override;
  ReceiverSession(const ReceiverSession&) = delete;
  ReceiverSession& operator=(const ReceiverSession&) = delete;

  // Opens NAME|PATH at baudRate and starts monitoring it. Returns 0, or the exit status with its
  // message written: 2 when the name stands for no device, 1 when the port does not open.
  int Open(const std::string& portArgument, int baudRate, bool hostMode = false);

  IPort& port() { return *port_; }
  TViewTask& task() { return *task_; }
  const std::string& program() const { return program_; }

  // Writes a frame; false (its message on stderr) when the write failed.
  bool Send(const std::vector<uint8_t>& frame);
  // Sends frame and waits for the ACK or NACK of commandId and, when replyKind is given, for that
  // reply, until timeout after the last answer.
  CommandAnswer SendAndWait(const std::vector<uint8_t>& frame, uint8_t commandId,
                            std::optional<ReceiverEvent::Kind> replyKind,
                            std::chrono::milliseconds timeout);

  // Waits until condition(state) holds, Ctrl-C, the port failed, or the deadline.
  enum class WaitResult { Done, TimedOut, Interrupted, PortFailed };
  WaitResult WaitUntil(const std::function<bool(const SessionState&)>& condition,
                       Clock::time_point deadline);
  // Waits for the deadline; false when Ctrl-C or a failed port ended the wait first.
  bool PauseUntil(Clock::time_point deadline);

  SessionState Snapshot() const;
  size_t EventCount() const;
  bool interrupted() const;
  bool portFailed() const;

  // Writes every byte received from now on to path (created or truncated), as the trace read
  // does through the task's capture slot, and counts the trace records in them. False with the
  // reason in error when the file cannot be created or the slot is taken.
  bool StartCapture(const std::string& path, std::string& error);
  // Closes the capture; every byte received until now is in the file. False when a write failed.
  bool StopCapture();
  bool capturing() const;

  // Ends every wait as Ctrl-C does (the watcher's thread and tests call it).
  void Interrupt();
  // Lets waits run again after Ctrl-C, for a wind-down that must talk to the receiver; a second
  // Ctrl-C still ends the program.
  void ClearInterrupt();

 private:
  friend class CaptureFile;
  void Captured(int count, uint64_t recordsFound, bool writeFailed);
  void Record(const ReceiverEvent& event);
  void Close();

  // IViewDisplay, on the task's thread inside the inline hand-off.
  void AppendNmeaLine(std::string_view line) override;
  void ShowNavigation(const TNavRecord& display, DisplaySource source) override;
  void PortFailed() override;
  void onAck(uint8_t commandId) override;
  void onNack(uint8_t commandId) override;
  void onTraceStatusFull() override;
  void onTraceStatusShort() override;
  void onTestResult() override;

  std::string program_;
  std::unique_ptr<InterruptWatcher> watcher_;  // made before the task's thread, which inherits
                                               // the blocked signals
  ConsoleMessages messages_;
  ReceiverStores stores_;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  SessionState state_;

  std::unique_ptr<TSerialPort> port_;
  std::unique_ptr<CaptureFile> capture_;  // outlives the task, which may still hold its stream
  std::unique_ptr<TViewTask> task_;
  // The task as its hand-offs reach it: stays set while task_ is being destroyed.
  TViewTask* replyTask_ = nullptr;
};

// The exit status for an interrupted command (128 + SIGINT, as a shell reports it).
inline constexpr int kExitInterrupted = 130;

// Progress of a long wait on stderr: redrawn in place on a terminal, one line per tenth otherwise.
class ProgressBar {
 public:
  ProgressBar(std::string unit, uint64_t total);
  void Show(uint64_t done);
  void Finish();  // ends the line on a terminal

 private:
  std::string unit_;
  uint64_t total_;
  bool terminal_;
  int lastTenth_ = -1;
  uint64_t lastShown_ = UINT64_MAX;
  bool drawn_ = false;
};

}  // namespace vetra::cli
