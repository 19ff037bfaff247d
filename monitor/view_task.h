#pragma once
// TViewTask: the background thread that listens to the receiver. While active it polls the port
// about every 100 ms, splits the bytes between TNmea and TBinary, echoes each line, writes the raw
// log and hands the decoded data to the window thread, one display update per pass.
//
// Threads: the window thread only stores flags and small requests; the task changes the screen only
// through the blocking hand-off. The parsers' records are guarded by one mutex that the task holds
// while it parses and releases around every hand-off, so RestartMonitoring and CopyToDisplay on the
// window thread never interleave with the task's own use of the records.
//
// The port is used (reset, drained, read, written) only while the task holds the port slot, and
// never across a hand-off. SetActive(false) and PortSlot::Set wait for that part of the pass to
// end, so they cannot deadlock against a hand-off that waits for the window thread, and once they
// return the task does not touch the old port again. A pass that has already read its bytes may
// still hand their lines over afterwards.
//
// A read failure (a receiver unplugged) stops the reading: the task switches itself off, closes the
// raw log with every byte received so far and tells the display once (PortFailed).

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "decode/binary.h"
#include "decode/nmea.h"
#include "link/clock.h"
#include "link/port.h"
#include "monitor/stream_splitter.h"

namespace vetra {

// Runs fn on the window thread and returns when it has run (Qt: BlockingQueuedConnection;
// terminal and tests: inline).
using HandOff = std::function<void(const std::function<void()>& fn)>;

// What the task asks the window thread to show. Every call runs on the window thread, inside the
// hand-off, while the task waits: the display may read the task's records and reply fields through
// nmea(), binary() and sentenceText(). The reply callbacks (IReplySink) also run, with the records
// guarded, when the window thread itself calls ShowRevision, ShowClockOffset or ShowSelfTest.
class IViewDisplay : public IReplySink {
 public:
  virtual void SetHeartbeat(const char* text) { (void)text; }  // "X" / "O", status panel 0
  virtual void AppendNmeaLine(std::string_view line) { (void)line; }
  // The display copy changed: from TNmea (hide lbClkOff and sgMeas) or TBinary (show them, then
  // the measurement update).
  virtual void ShowNavigation(const TNavRecord& display, DisplaySource source) {
    (void)display;
    (void)source;
  }
  virtual void EnableHostButton() {}
  // The port failed (a receiver unplugged). The task has stopped reading and closed the raw log.
  virtual void PortFailed() {}
};

// The port the task reads, published by the window thread; empty while no port exists.
class PortSlot {
 public:
  void Set(IPort* port);  // waits until the task is not inside a pass using the old port
  IPort* Acquire();       // task side: the port for this pass, held until Release
  void Release();
  void WaitIdle();  // returns once nobody holds the port

 private:
  std::mutex mutex_;
  IPort* port_ = nullptr;
};

class TViewTask {
 public:
  struct Options {
    bool hostMode = false;
    int channelCount = 12;
    bool startThread = true;  // false: tests drive RunPass themselves
  };
  TViewTask(IClock& clock, HandOff handOff, IViewDisplay& display, ReceiverStores& stores,
            Options options);
  ~TViewTask();  // asks the thread to end, waits for it, closes an attached log

  PortSlot& port() { return port_; }

  // SetActive(false) returns when the pass in progress no longer uses the port; no pass reads,
  // writes or resets the port after it returns until the next SetActive(true).
  void SetActive(bool active);
  bool active() const { return active_; }
  void RestartMonitoring();
  void CopyToDisplay(bool fromBinary);
  TNavRecord DisplayCopy() const;
  void SetDisplayRestartCounter(int32_t value);

  // Channel count of the C/N0 chart: 12 or 16.
  void ToggleChannelCount(bool secondChipSelected);
  int channelCount() const { return channelCount_; }
  bool ToggleWindowSize();  // returns the new expanded flag
  void SetExpanded(bool expanded) { expanded_ = expanded; }
  bool expanded() const { return expanded_; }

  // The capture slot: a raw log or the trace read's file. At most one file at a time.
  // The task owns an attached file and closes it; a refused file stays the caller's.
  bool AttachLog(std::FILE* file);  // false when a file is attached already
  // Closes the attached file once a chunk being written is complete; every received byte is in
  // the file when CloseLog returns.
  void CloseLog();
  bool logAttached() const;

  // Reply displays the send path refreshes with clear = true before a query.
  void ShowRevision(bool clear);
  void ShowClockOffset(bool clear);
  void ShowSelfTest(bool clear);

  // Inside a hand-off only (the task waits meanwhile).
  const TNmea& nmea() const { return nmea_; }
  const TBinary& binary() const { return *binary_; }
  TBinary& binary() { return *binary_; }
  const std::string& sentenceText() const { return sentenceText_; }

  // One pass of the loop (public for tests that drive the task without its thread).
  void RunPass();

  static constexpr int kReceiveBufferSize = 2048;
  static constexpr int kMaxDrainReads =
      100;  // bounds the drain against a receiver that never pauses

 private:
  using RecordsLock = std::unique_lock<std::recursive_mutex>;

  // Forwards the reply handlers' display requests through the hand-off, records unlocked.
  class ReplyForwarder final : public IReplySink {
   public:
    explicit ReplyForwarder(TViewTask& task) : task_(task) {}
    void onRevision() override;
    void onSelfTest() override;
    void onClockOffset() override;
    void onEphemeris() override;
    void onAlmanac() override;
    void onModuleId() override;
    void onTraceStatusFull() override;
    void onTraceStatusShort() override;
    void onNavSettings(std::span<const uint8_t> payload) override;
    void onSysSettings(std::span<const uint8_t> payload) override;
    void onAck(uint8_t commandId) override;
    void onNack(uint8_t commandId) override;
    void onCustomizedId() override;
    void onTestResult() override;
    void onTraceRecord(std::span<const uint8_t> payload) override;

   private:
    TViewTask& task_;
  };

  enum class PortRead { NoPort, Read, Failed, Inactive };
  PortRead ReadPort(int& count, bool& hostAnswered);
  bool Drain(IPort& port);
  void StopOnPortFailure();
  void WriteLog(const uint8_t* bytes, int count);
  void ParseAndShow(int count);
  // Runs fn on the window thread; while the task parses, the records are unlocked meanwhile.
  void HandOffUnlocked(const std::function<void()>& fn);
  void SleepMs(int milliseconds);
  void Run(std::stop_token stop);

  IClock& clock_;
  HandOff handOff_;
  IViewDisplay& display_;
  Options options_;

  mutable std::recursive_mutex recordsMutex_;
  RecordsLock* parseLock_ = nullptr;  // the task's hold on the records while it parses
  std::string sentenceText_;
  TNmea nmea_;
  ReplyForwarder forwarder_{*this};
  std::unique_ptr<TBinary> binary_;
  TStreamSplitter splitter_;
  TNavRecord displayCopy_;

  std::atomic<bool> active_{false};
  std::atomic<bool> portResetRequest_{false};
  std::atomic<bool> expanded_{false};
  std::atomic<bool> stopping_{false};
  std::atomic<int> channelCount_{12};
  unsigned heartbeat_ = 0;  // task thread only

  mutable std::mutex logMutex_;
  std::FILE* log_ = nullptr;

  PortSlot port_;
  uint8_t receiveBuffer_[kReceiveBufferSize] = {};
  std::jthread thread_;  // last: starts once everything above exists
};

}  // namespace vetra
