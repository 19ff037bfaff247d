#pragma once
// The terminal's conversation with the receiver: the port opened by NAME|PATH and handed to a
// ReceiverConversation (which reads it on its own thread, with an inline hand-off), Ctrl-C, and
// the capture file of a trace read. "Send X and wait for its answer" is the conversation's
// SendAndWait; this session only adds Ctrl-C to it.
//
// What is collected from the pass values: a port failure, the last record with a fix, and during
// a capture the bytes written and the trace records (F2 88 frames that the trace converter will
// find) among them.
//
// Ctrl-C: while a session exists, SIGINT and SIGTERM are taken by a watcher thread. The first one
// ends every wait at once (the caller then winds down: stops a read, writes what it has); a
// second one ends the program at once. A capture writes each received chunk straight to its file,
// so every byte received is in it whichever way the program ends.
//
// Threads: the waits run on the caller's thread; the pass values are shown inline on the
// conversation's thread and only update the collected state under the session's mutex. The
// session never calls into the conversation while it holds that mutex.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "app/receiver_port.h"
#include "cli/console_messages.h"
#include "model/receiver_stores.h"
#include "session/receiver_conversation.h"
#include "statistics/fix_sample.h"

namespace vetra::cli {

class CaptureFile;
class InterruptWatcher;

using Clock = std::chrono::steady_clock;

// Everything collected so far; conditions of WaitUntil read it under the session's lock.
struct SessionState {
  uint64_t capturedBytes = 0;
  uint64_t capturedRecords = 0;
  bool captureFailed = false;      // a write to the capture file failed
  Clock::time_point lastActivity;  // the last captured byte
  bool portFailed = false;
  bool interrupted = false;
  // The last position update with a 2D or 3D fix (Sync's position): a sentence or frame that gave
  // a position, never a record whose fix mode came before its first position.
  std::optional<FixSample> lastFix;
};

class ReceiverSession final : private IPassDisplay {
 public:
  // program names the tool in messages ("vetra trace"). Takes Ctrl-C from here on.
  explicit ReceiverSession(std::string program);
  // Stops the conversation, closes a capture (every byte in it) and the port, gives Ctrl-C back.
  ~ReceiverSession() override;
  ReceiverSession(const ReceiverSession&) = delete;
  ReceiverSession& operator=(const ReceiverSession&) = delete;

  // Opens NAME|PATH at baudRate and starts monitoring it. Returns 0, or the exit status with its
  // message written: 2 when the name stands for no device, 1 when the port does not open.
  int Open(const std::string& portArgument, int baudRate, bool hostMode = false);

  ReceiverConversation& conversation() { return *conversation_; }
  ReceiverStores& stores() { return stores_; }
  const std::string& program() const { return program_; }

  // The conversation's SendAndWait, ended as Cancelled by Ctrl-C.
  ExchangeResult SendAndWait(Exchange exchange,
                             const ReceiverConversation::AnswerCallback& onAnswer = {});

  // Waits until condition(state) holds, Ctrl-C, the port failed, or the deadline.
  enum class WaitResult { Done, TimedOut, Interrupted, PortFailed };
  WaitResult WaitUntil(const std::function<bool(const SessionState&)>& condition,
                       Clock::time_point deadline);
  // Waits for the deadline; false when Ctrl-C or a failed port ended the wait first.
  bool PauseUntil(Clock::time_point deadline);

  // After silence: what the line showed since Open ("nothing arrives on COM3", "bytes arrive but no
  // valid sentence: ..."); empty when valid sentences or frames arrived.
  std::string LineNote() const;
  // True when nothing valid has arrived since Open.
  bool LineShowsNothingValid() const;

  // Hands every pass value on to display as well (nullptr: to none), on the conversation's
  // thread; once it returns, a display set before is no longer called.
  void ShowPassesTo(IPassDisplay* display);

  SessionState Snapshot() const;
  bool interrupted() const;
  bool portFailed() const;

  // Writes every byte received from now on to path (created or truncated), as the trace read
  // does through the conversation's capture slot, and counts the trace records in them. False
  // with the reason in error when the file cannot be created or the slot is taken.
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
  void Close();

  // IPassDisplay, on the conversation's thread inside the inline hand-off.
  void ShowPass(const PassValue& pass) override;

  std::string program_;
  std::string portArgument_;                   // as the user named it, for the line's note
  std::unique_ptr<InterruptWatcher> watcher_;  // made before the conversation's thread, which
                                               // inherits the blocked signals
  ConsoleMessages messages_;
  ReceiverStores stores_;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  SessionState state_;
  std::stop_source stop_;               // replaced by ClearInterrupt; guarded by mutex_
  IPassDisplay* alsoShowTo_ = nullptr;  // guarded by mutex_

  bool captureStarted_ = false;  // StopCapture has a capture to end
  std::unique_ptr<ReceiverConversation> conversation_;
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
