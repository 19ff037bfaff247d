#pragma once
// TViewTask: the background thread that listens to the receiver. While active it polls the port
// about every 100 ms, splits the bytes between TNmea and TBinary, echoes each line, writes the raw
// log and hands the decoded data to the window thread, one display update per pass.
//
// Threads: the window thread only stores flags and small requests; the task changes the screen only
// through the blocking hand-off. The parsers' records are guarded by one mutex that the task holds
// while it parses and releases around every hand-off, so RestartMonitoring and CopyToDisplay on the
// window thread never interleave with the task's own use of the records.

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
// hand-off, while the task waits: the display may read the task's records and reply fields.
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

 private:
  std::mutex mutex_;
  IPort* port_ = nullptr;
};

class TViewTask {
 public:
  struct Options {
    bool hostMode = false;
    int channelCount = 12;
  };
  TViewTask(IClock& clock, HandOff handOff, IViewDisplay& display, ReceiverStores& stores,
            Options options);
  ~TViewTask();  // asks the thread to end and waits for it

  PortSlot& port() { return port_; }

  void SetActive(bool active);  // takes effect before SetActive returns for `false`: no pass runs
                                // after it returns until the next SetActive(true)
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
  bool AttachLog(std::FILE* file);  // false when a file is attached already
  void CloseLog();                  // the thread closes the file on its next pass
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

 private:
  class Impl;
  std::string sentenceText_;
  TNmea nmea_;
  std::atomic<bool> active_{false};
  std::atomic<int> channelCount_{12};
  std::atomic<bool> closeLogRequest_{false};
  std::atomic<bool> portResetRequest_{false};
  std::atomic<bool> expanded_{false};
  std::unique_ptr<TBinary> binary_;
  TNavRecord displayCopy_;
  IClock& clock_;
  HandOff handOff_;
  IViewDisplay& display_;
  Options options_;
  PortSlot port_;
  mutable std::mutex recordsMutex_;
  std::jthread thread_;
};

}  // namespace vetra
